// Request heads as players send them, and the ones the server must refuse.
#include <gtest/gtest.h>

#include "wavetap/stream/http_request.h"
#include "wavetap/stream/wmsp_protocol.h"

using wavetap::HttpRequest;
using wavetap::ViewerKind;

namespace {

// The play request of ffmpeg's mmsh client, including its missing line break.
const char kMmshPlay[] =
    "GET / HTTP/1.1\r\nUser-Agent: NSPlayer/4.1.0.3856\r\nAccept: */*\r\nHost: 127.0.0.1:9100\r\n"
    "Pragma: no-cache,rate=1.000000,request-context=2\r\nPragma: xPlayStrm=1\r\n"
    "Pragma: xClientGUID={c77e7400-738a-11d2-9add-0020af0a3278}\r\n"
    "Pragma: stream-switch-count=2\r\nPragma: stream-switch-entry=ffff:1:0 ffff:2:0 \r\n"
    "Pragma: no-cache,rate=1.000000,stream-time=0Connection: Close\r\n\r\n";

const char kMmshDescribe[] =
    "GET / HTTP/1.1\r\nAccept: */*\r\nUser-Agent: NSPlayer/4.1.0.3856\r\nHost: 127.0.0.1:9100\r\n"
    "Pragma: no-cache,rate=1.000000,stream-time=0,stream-offset=0:0,request-context=1,max-duration=0\r\n"
    "Pragma: xClientGUID={c77e7400-738a-11d2-9add-0020af0a3278}\r\nConnection: Close\r\n\r\n";

HttpRequest Parse(const std::string& text)
{
    HttpRequest request;
    request.Feed(text.data(), text.size());
    return request;
}

TEST(HttpRequest, ReadsPragmaTokensOfAPlayerRequestFedByteByByte)
{
    HttpRequest request;
    const std::string text = kMmshPlay;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        ASSERT_EQ(request.Feed(&text[i], 1), HttpRequest::State::Incomplete) << i;
    ASSERT_EQ(request.Feed(&text.back(), 1), HttpRequest::State::Complete);
    EXPECT_EQ(request.Method(), "GET");
    EXPECT_EQ(request.Target(), "/");
    EXPECT_EQ(request.Version(), "HTTP/1.1");
    EXPECT_EQ(request.Header("user-agent").value_or(""), "NSPlayer/4.1.0.3856");
    EXPECT_EQ(request.Pragma("xplaystrm").value_or("?"), "1");
    EXPECT_EQ(request.Pragma("request-context").value_or("?"), "2");
    EXPECT_EQ(request.Pragma("no-cache").value_or("?"), "");
    EXPECT_EQ(request.Pragma("stream-switch-entry").value_or("?"), "ffff:1:0 ffff:2:0");
    EXPECT_FALSE(request.Pragma("xResetStrm").has_value());
    EXPECT_EQ(wavetap::ClassifyRequest(request), ViewerKind::Play);
}

TEST(HttpRequest, ClassifiesDescribeAndPlainRequests)
{
    EXPECT_EQ(wavetap::ClassifyRequest(Parse(kMmshDescribe)), ViewerKind::Describe);
    EXPECT_EQ(wavetap::ClassifyRequest(Parse("GET /live HTTP/1.1\r\nUser-Agent: curl/7.88\r\nAccept: */*\r\n\r\n")),
              ViewerKind::PlainHttp);
    // Bare line feeds, a folded header, and an explicit xPlayStrm=0 (still a describe).
    const HttpRequest folded = Parse("GET / HTTP/1.0\nUser-Agent: NSPlayer/9.0\n Extra\nPragma: xPlayStrm=0\n\n");
    ASSERT_EQ(folded.CurrentState(), HttpRequest::State::Complete);
    EXPECT_EQ(folded.Header("User-Agent").value_or(""), "NSPlayer/9.0 Extra");
    EXPECT_EQ(wavetap::ClassifyRequest(folded), ViewerKind::Describe);
    // Quoted commas stay inside their token.
    const HttpRequest quoted = Parse("GET / HTTP/1.1\r\nPragma: features=\"seekable,stridable\", xPlayStrm=1\r\n\r\n");
    EXPECT_EQ(quoted.Pragma("features").value_or(""), "\"seekable,stridable\"");
    EXPECT_EQ(wavetap::ClassifyRequest(quoted), ViewerKind::Play);
}

TEST(HttpRequest, RefusesMalformedHeads)
{
    const char* const bad[] = {
        "GET /\r\n\r\n",                                  // no version
        "GET / HTTP/2.0\r\n\r\n",                         // not HTTP/1.x
        "GET  / HTTP/1.1\r\n\r\n",                        // double space
        "GET / HTTP/1.1\r\nNo colon here\r\n\r\n",        // header without a colon
        "GET / HTTP/1.1\r\n: empty name\r\n\r\n",         // empty header name
        "GET / HTTP/1.1\r\nBad Name: x\r\n\r\n",          // space in a header name
        "GET / HTTP/1.1\r\nX: a\x01" "b\r\n\r\n",         // control character
        "GET / HTTP/1.1\r\n continued first\r\n\r\n",     // continuation with nothing before it
        "\r\n\r\n",                                       // no request line
    };
    for (const char* text : bad)
        EXPECT_EQ(Parse(text).CurrentState(), HttpRequest::State::Malformed) << text;
}

TEST(HttpRequest, TellsOtherProtocolsApartFromTheFirstBytes)
{
    const std::pair<std::string, HttpRequest::State> cases[] = {
        {std::string("\x01\x00\x00\x00\xce\xfa\x0b\xb0", 8), HttpRequest::State::NotHttp},  // MMS over TCP
        {std::string("\x16\x03\x01\x02\x00", 5), HttpRequest::State::NotHttp},                 // a TLS hello
        {"GE\x01", HttpRequest::State::NotHttp},
        {"GET", HttpRequest::State::Incomplete},
        {"NONSENSE\r\n\r\n", HttpRequest::State::Malformed},  // text, answered as a bad request
    };
    for (const auto& [bytes, state] : cases)
        EXPECT_EQ(Parse(bytes).CurrentState(), state) << bytes;
    // Decided only once the bytes come: a method sent in pieces is not mistaken.
    HttpRequest pieces;
    EXPECT_EQ(pieces.Feed("G", 1), HttpRequest::State::Incomplete);
    EXPECT_EQ(pieces.Feed("E", 1), HttpRequest::State::Incomplete);
    EXPECT_EQ(pieces.Feed("T\x80", 2), HttpRequest::State::NotHttp);
}

TEST(HttpRequest, RefusesAnOversizedHeadWithoutWaitingForItsEnd)
{
    HttpRequest request;
    const std::string line = "X-Filler: " + std::string(1000, 'a') + "\r\n";
    request.Feed("GET / HTTP/1.1\r\n", 16);
    HttpRequest::State state = HttpRequest::State::Incomplete;
    for (int i = 0; i < 20 && state == HttpRequest::State::Incomplete; ++i)
        state = request.Feed(line.data(), line.size());
    EXPECT_EQ(state, HttpRequest::State::Malformed);
    // Once decided, more bytes change nothing.
    EXPECT_EQ(request.Feed("\r\n\r\n", 4), HttpRequest::State::Malformed);
}

}  // namespace
