// Whole calls through SoapProxy against a scripted loopback peer.
#include <gtest/gtest.h>

#include <chrono>

#include "sample_operations.h"
#include "scripted_server.h"
#include "service-transport/soap_proxy.h"

using namespace transport;
using testing_support::HttpAnswer;
using testing_support::ScriptedReply;
using testing_support::ScriptedServer;
using testing_support::SoapEnvelope;

namespace {

const QByteArray kLoginAnswer =
    SoapEnvelope("<ns2:loginResponse xmlns:ns2=\"http://service.example.org\"><return><code>7</code>"
                 "<sessionId>S1</sessionId></return></ns2:loginResponse>");

struct CallResult {
    HResult result;
    ErrorKind kind;
    SoapValue value;
    int status;
};

CallResult CallLogin(const QByteArray& url, int timeoutMs = 0) {
    SoapProxy proxy;
    EXPECT_TRUE(proxy.SetUrl(QString::fromLatin1(url)));
    proxy.SetTimeout(timeoutMs);
    SoapValue value = InitialValue(sample::kLoginResult);
    const HResult result = proxy.Invoke(sample::kLogin, {SoapValue::OfString("u"), SoapValue::OfString("p")}, value);
    return {result, proxy.LastError(), value, proxy.StatusCode()};
}

ErrorKind LoginAgainst(std::vector<ScriptedReply> replies, int timeoutMs = 0) {
    ScriptedServer server(std::move(replies));
    return CallLogin(server.Url(), timeoutMs).kind;
}

TEST(HttpExchange, SendsTheExactRequestAndReadsAChunkedAnswer) {
    QByteArray chunked = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\ntransfer-encoding: Chunked\r\n\r\n";
    for (qsizetype at = 0; at < kLoginAnswer.size(); at += 50) {
        const QByteArray piece = kLoginAnswer.mid(at, 50);
        chunked += QByteArray::number(piece.size(), 16) + ";ext=1\r\n" + piece + "\r\n";
    }
    chunked += "0\r\nX-Trailer: 1\r\n\r\n";
    ScriptedServer server({{chunked}});
    SoapProxy proxy;
    ASSERT_TRUE(proxy.SetUrl(QString::fromLatin1(server.Url())));
    proxy.SetCookieHeader("Cookie: JSESSIONID=XYZ\r\n");
    SoapValue value = InitialValue(sample::kLoginResult);
    ASSERT_EQ(proxy.Invoke(sample::kLogin, {SoapValue::OfString("u"), SoapValue::OfString("p")}, value), kOk);
    EXPECT_EQ(RecordView(sample::kLoginResult, value).Integer("code"), 7);
    EXPECT_EQ(RecordView(sample::kLoginResult, value).String("sessionId"), "S1");

    const QByteArray body =
        "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\"><soap:Body><login xmlns=\"http://service.example.org\">"
        "<userName>u</userName><passWord>p</passWord></login></soap:Body></soap:Envelope>";
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0], "POST /vekservices/ClientService HTTP/1.1\r\nContent-Length: " + QByteArray::number(body.size()) +
                               "\r\nContent-Type: text/xml; charset=utf-8\r\nSOAPAction: \"\"\r\nCookie: JSESSIONID=XYZ\r\n"
                               "Accept: text/xml\r\nHost: 127.0.0.1:" + QByteArray::number(server.Port()) +
                               "\r\nUser-Agent: Microsoft-ATL-Native/8.00\r\n\r\n" + body);
}

TEST(HttpExchange, BodiesByLengthAndByClose) {
    EXPECT_EQ(LoginAgainst({{HttpAnswer(200, kLoginAnswer)}}), ErrorKind::Success);
    EXPECT_EQ(LoginAgainst({{"HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n" + kLoginAnswer}}), ErrorKind::Success);
    EXPECT_EQ(LoginAgainst({{"HTTP/1.1 100 Continue\r\n\r\n" + HttpAnswer(200, kLoginAnswer)}}), ErrorKind::Success);
}

TEST(HttpExchange, FaultsAndHtmlPagesOn500) {
    ScriptedServer faulting({{HttpAnswer(500, SoapEnvelope("<soap:Fault><faultcode>soap:Server</faultcode>"
                                                           "<faultstring>boom</faultstring></soap:Fault>"))}});
    SoapProxy proxy;
    ASSERT_TRUE(proxy.SetUrl(QString::fromLatin1(faulting.Url())));
    SoapValue value = InitialValue(sample::kLoginResult);
    EXPECT_LT(proxy.Invoke(sample::kLogin, {SoapValue::OfString("u"), SoapValue::OfString("p")}, value), 0);
    EXPECT_EQ(proxy.LastError(), ErrorKind::SoapFault);
    EXPECT_EQ(proxy.StatusCode(), 500);
    EXPECT_EQ(proxy.Fault().kind, FaultKind::Server);
    EXPECT_EQ(proxy.Fault().string, "boom");
    EXPECT_TRUE(RecordView(sample::kLoginResult, value).String("sessionId").isNull());  // out-value untouched

    EXPECT_EQ(LoginAgainst({{HttpAnswer(500, "<html><body>Server Error</body></html>", "text/html")}}),
              ErrorKind::FaultParseError);
}

TEST(HttpExchange, UnexpectedStatusesAndAuthenticationAreSendErrors) {
    EXPECT_EQ(LoginAgainst({{HttpAnswer(401, "") }}), ErrorKind::SendError);
    EXPECT_EQ(LoginAgainst({{HttpAnswer(407, "")}}), ErrorKind::SendError);
    EXPECT_EQ(LoginAgainst({{HttpAnswer(404, "nope")}}), ErrorKind::SendError);
    EXPECT_EQ(LoginAgainst({{HttpAnswer(201, kLoginAnswer)}}), ErrorKind::ServerError);
    const CallResult accepted = [] {
        ScriptedServer server({{HttpAnswer(202, "")}});
        return CallLogin(server.Url());
    }();
    EXPECT_EQ(accepted.result, kOk);
    EXPECT_EQ(RecordView(sample::kLoginResult, accepted.value).Integer("code"), 0);
}

TEST(HttpExchange, RedirectsAreFollowedOnlyOnTheSameServer) {
    // Relative and absolute Locations on this very server are followed.
    int port = 0;
    {
        ScriptedServer probe({{""}});
        port = probe.Port();
    }
    const QByteArray absolute = "http://127.0.0.1:" + QByteArray::number(port) + "/moved?x=1";
    ScriptedServer origin({{"HTTP/1.1 301 Moved\r\nLocation: /second\r\nContent-Length: 0\r\n\r\n", ScriptedReply::Then::KeepOpen},
                           {"HTTP/1.1 302 Found\r\nLocation: " + absolute + "\r\nContent-Length: 0\r\n\r\n", ScriptedReply::Then::KeepOpen},
                           {HttpAnswer(200, kLoginAnswer)}},
                          port);
    EXPECT_EQ(CallLogin(origin.Url()).kind, ErrorKind::Success);
    ASSERT_EQ(origin.Requests().size(), 3U);
    EXPECT_TRUE(origin.Requests()[1].startsWith("POST /second HTTP/1.1\r\n"));
    EXPECT_TRUE(origin.Requests()[2].startsWith("POST /moved?x=1 HTTP/1.1\r\n"));

    // Another port or another host name would receive the request with the password digest.
    ScriptedServer elsewhere({{HttpAnswer(200, kLoginAnswer)}});
    for (const QByteArray& location :
         {elsewhere.Url("/moved"), "http://localhost:" + QByteArray::number(elsewhere.Port()) + "/moved"}) {
        ScriptedServer redirecting({{"HTTP/1.1 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\n\r\n"}});
        EXPECT_EQ(CallLogin(redirecting.Url()).kind, ErrorKind::SendError) << location.constData();
    }
    EXPECT_TRUE(elsewhere.Requests().empty());

    // A loop ends after a bounded number of redirects; no Location is a failure too.
    EXPECT_EQ(LoginAgainst({{"HTTP/1.1 303 See Other\r\nLocation: /again\r\nContent-Length: 0\r\n\r\n"}}), ErrorKind::SendError);
    EXPECT_EQ(LoginAgainst({{"HTTP/1.1 302 Found\r\nContent-Length: 0\r\n\r\n"}}), ErrorKind::SendError);
}

TEST(HttpExchange, ATrickledAnswerEndsAtTheCallDeadline) {
    // One byte every 100 ms: each receive is inside the 300 ms step timeout, the whole
    // answer would take about a minute.
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(LoginAgainst({{HttpAnswer(200, kLoginAnswer), ScriptedReply::Then::Trickle}}, 300), ErrorKind::SendError);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(300 * kCallDeadlineSteps - 100));
    EXPECT_LT(waited, std::chrono::milliseconds(300 * kCallDeadlineSteps + 1500));
}

TEST(HttpExchange, AProxyIsReusedOnAKeptAliveConnection) {
    ScriptedServer server({{HttpAnswer(200, kLoginAnswer).replace("Connection: close", "Connection: keep-alive"),
                            ScriptedReply::Then::KeepOpen}});
    SoapProxy proxy;
    ASSERT_TRUE(proxy.SetUrl(QString::fromLatin1(server.Url())));
    for (int i = 0; i < 3; ++i) {
        SoapValue value = InitialValue(sample::kLoginResult);
        ASSERT_EQ(proxy.Invoke(sample::kLogin, {SoapValue::OfString("u"), SoapValue::OfString("p")}, value), kOk);
    }
    EXPECT_EQ(server.Requests().size(), 3U);
}

TEST(HttpExchange, BrokenTransfersAreSendErrors) {
    const QByteArray chunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    EXPECT_EQ(LoginAgainst({{chunkedHead + "400\r\n" + kLoginAnswer.left(100)}}), ErrorKind::SendError);  // cut mid-chunk
    EXPECT_EQ(LoginAgainst({{chunkedHead + "zz\r\nab\r\n0\r\n\r\n"}}), ErrorKind::SendError);             // bad size
    EXPECT_EQ(LoginAgainst({{chunkedHead + "2\r\nabc\r\n0\r\n\r\n"}}), ErrorKind::SendError);             // no CRLF after data
    EXPECT_EQ(LoginAgainst({{"HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + kLoginAnswer}}), ErrorKind::SendError);
    EXPECT_EQ(LoginAgainst({{"SSH-2.0-OpenSSH_9.2\r\n\r\n"}}), ErrorKind::SendError);
    EXPECT_EQ(LoginAgainst({{"HTTP/1.1 2x0 OK\r\n\r\n"}}), ErrorKind::SendError);
    EXPECT_EQ(LoginAgainst({{"HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n"}}), ErrorKind::SendError);
    EXPECT_EQ(LoginAgainst({{QByteArray(100000, 'H')}}), ErrorKind::SendError);  // endless head
    EXPECT_EQ(LoginAgainst({{""}}), ErrorKind::SendError);                        // closed without a word
}

TEST(HttpExchange, OversizedAnswersFailWithoutHoldingThem) {
    const QByteArray tenMegabytes(10 * 1024 * 1024, 'a');
    EXPECT_EQ(LoginAgainst({{"HTTP/1.1 200 OK\r\nContent-Length: 10485760\r\n\r\n"}}), ErrorKind::SendError);
    EXPECT_EQ(LoginAgainst({{"HTTP/1.1 200 OK\r\n\r\n" + tenMegabytes}}), ErrorKind::SendError);
    const QByteArray chunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    const auto endless = [&](const QByteArray& start, const QByteArray& repeat) {
        return LoginAgainst({{start, ScriptedReply::Then::Endless, repeat}});
    };
    EXPECT_EQ(endless(chunkedHead, "1000\r\n" + QByteArray(4096, 'x') + "\r\n"), ErrorKind::SendError);
    // Framing with next to no content: one-byte chunks with long extensions, endless trailers.
    EXPECT_EQ(endless(chunkedHead, "1;" + QByteArray(8000, 'e') + "\r\nx\r\n"), ErrorKind::SendError);
    EXPECT_EQ(endless(chunkedHead + "0\r\n", "X-T: " + QByteArray(8000, 't') + "\r\n"), ErrorKind::SendError);
}

TEST(HttpExchange, DeepOrInvalidXmlInA200FailsCleanly) {
    QByteArray deep = QByteArray("<a>").repeated(100000) + QByteArray("</a>").repeated(100000);
    EXPECT_EQ(LoginAgainst({{HttpAnswer(200, deep)}}), ErrorKind::ParseError);  // not an envelope at all
    EXPECT_EQ(LoginAgainst({{HttpAnswer(200, SoapEnvelope("").replace("<soap:Body>", "<soap:Body>" + deep))}}),
              ErrorKind::ParseError);  // refused at the first element that is not the answer
    EXPECT_EQ(LoginAgainst({{HttpAnswer(200, SoapEnvelope("").replace("<soap:Body>", "<soap:Header>" + deep + "</soap:Header><soap:Body>"))}}),
              ErrorKind::ReadError);  // skipped content still meets the reader's nesting limit
    EXPECT_EQ(LoginAgainst({{HttpAnswer(200, QByteArray(kLoginAnswer).replace("S1", "S\xC3\x28"))}}), ErrorKind::ReadError);
}

TEST(HttpExchange, SilentAndAbsentPeersFailWithinTheTimeout) {
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(LoginAgainst({{"", ScriptedReply::Then::Silent}}, 300), ErrorKind::SendError);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(250));
    EXPECT_LT(waited, std::chrono::seconds(3));

    int closedPort = 0;
    {
        ScriptedServer gone({{""}});
        closedPort = gone.Port();
    }
    EXPECT_EQ(CallLogin("http://127.0.0.1:" + QByteArray::number(closedPort) + "/", 300).kind, ErrorKind::SendError);
    SoapProxy unset;
    SoapValue value;
    EXPECT_LT(unset.Invoke(sample::kLogOut, {}, value), 0);
    EXPECT_EQ(unset.LastError(), ErrorKind::SendError);
    EXPECT_FALSE(unset.SetUrl("not a url"));
}

TEST(HttpExchange, ParametersThatDoNotFitTheDescriptionAreGenerateErrors) {
    ScriptedServer server({{HttpAnswer(200, kLoginAnswer)}});
    SoapProxy proxy;
    ASSERT_TRUE(proxy.SetUrl(QString::fromLatin1(server.Url())));
    SoapValue value;
    EXPECT_LT(proxy.Invoke(sample::kLogin, {SoapValue::OfString("only one")}, value), 0);
    EXPECT_EQ(proxy.LastError(), ErrorKind::GenerateError);
    EXPECT_TRUE(server.Requests().empty());
}

}  // namespace

TEST(HttpExchange, AnAnswerThatDoesNotFitSaysWhereOnTheProxy) {
    ScriptedServer server({{HttpAnswer(200, QByteArray(kLoginAnswer).replace("<code>7</code>", "<code>seven</code>"))}});
    SoapProxy proxy;
    ASSERT_TRUE(proxy.SetUrl(QString::fromLatin1(server.Url())));
    SoapValue value = InitialValue(sample::kLoginResult);
    EXPECT_LT(proxy.Invoke(sample::kLogin, {SoapValue::OfString("u"), SoapValue::OfString("p")}, value), 0);
    EXPECT_EQ(proxy.LastError(), ErrorKind::ParseError);
    EXPECT_EQ(proxy.ErrorDetail(), QString("line 1: <code> holds \"seven\", not a long"));
    // The next call that succeeds clears it.
    ScriptedServer good({{HttpAnswer(200, kLoginAnswer)}});
    ASSERT_TRUE(proxy.SetUrl(QString::fromLatin1(good.Url())));
    EXPECT_EQ(proxy.Invoke(sample::kLogin, {SoapValue::OfString("u"), SoapValue::OfString("p")}, value), kOk);
    EXPECT_TRUE(proxy.ErrorDetail().isEmpty());
}
