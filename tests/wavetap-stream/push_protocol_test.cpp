// The pieces of the push protocol that encoder and media server share: packet framing and
// its reader, ASF padding removed and put back (on packets asfmux wrote), HTTP Basic and
// Digest authentication, and the response head reader.
#include <gtest/gtest.h>

#include <random>

#include "test_media.h"
#include "wavetap/stream/asf_format.h"
#include "wavetap/stream/asf_header_info.h"
#include "wavetap/stream/asf_packet_padding.h"
#include "wavetap/stream/asf_stream_splitter.h"
#include "wavetap/stream/http_auth.h"
#include "wavetap/stream/http_request.h"
#include "wavetap/stream/http_response_head.h"
#include "wavetap/stream/push_framing.h"

using namespace wavetap;

namespace {

std::vector<push::PushPacket> ReadInPieces(const QByteArray& body, unsigned seed, bool* ok = nullptr)
{
    push::PushBodyReader reader;
    std::vector<push::PushPacket> packets;
    std::mt19937 random(seed);
    bool fine = true;
    for (qsizetype pos = 0; pos < body.size();) {
        const qsizetype piece = std::min<qsizetype>(1 + random() % 3000, body.size() - pos);
        fine = reader.Feed(body.constData() + pos, static_cast<std::size_t>(piece), packets) && fine;
        pos += piece;
    }
    if (ok)
        *ok = fine;
    return packets;
}

std::vector<AsfUnit> SplitTestStream()
{
    const std::string stream = EncodeTestAsf(3);
    AsfStreamSplitter splitter;
    std::vector<AsfUnit> units;
    splitter.Feed(stream.data(), stream.size(), units);
    return units;
}

}  // namespace

TEST(PushFraming, EveryPacketTypeComesBackFromTheReaderWhateverThePieces)
{
    const QByteArray header(700, 'h');
    const QByteArray data(4800, 'd');
    QByteArray body = push::HeaderPacket(header) + push::DataPacket(data) +
                      push::EndOfStreamPacket(push::kEndOfEntry) + push::StreamChangePacket(header + "2");
    for (const QByteArray& filler : push::FillerPackets(70000))
        body += filler;
    body += push::DataPacket(data.left(1806)) + push::EndOfStreamPacket(push::kEndOfPush);

    for (unsigned seed : {1u, 2u, 3u}) {
        bool ok = false;
        const auto packets = ReadInPieces(body, seed, &ok);
        ASSERT_TRUE(ok);
        std::string types;
        for (const auto& p : packets)
            types += p.type;
        EXPECT_EQ(types, "HDECFFDE");
        EXPECT_EQ(packets[0].payload, header);
        EXPECT_EQ(packets[1].payload, data);
        EXPECT_EQ(packets[2].reason, push::kEndOfEntry);
        EXPECT_EQ(packets[3].reason, 0u);
        EXPECT_EQ(packets[3].payload, header + "2");
        EXPECT_EQ(packets[6].payload.size(), 1806);
        EXPECT_EQ(packets.back().reason, push::kEndOfPush);
    }
    // The framing header: '$', the id, the little-endian length of what follows.
    const QByteArray end = push::EndOfStreamPacket(1);
    EXPECT_EQ(end, QByteArray("$E\x04\x00\x01\x00\x00\x00", 8));
}

TEST(PushFraming, SizesOutsideWhatAPacketTypeAllowsAreRefused)
{
    EXPECT_TRUE(push::HeaderPacket(QByteArray()).isEmpty());
    EXPECT_TRUE(push::HeaderPacket(QByteArray(65532, 'x')).isEmpty());
    EXPECT_FALSE(push::HeaderPacket(QByteArray(65531, 'x')).isEmpty());
    EXPECT_TRUE(push::StreamChangePacket(QByteArray(65528, 'x')).isEmpty());
    EXPECT_TRUE(push::FillerPacket(3).isEmpty());
    EXPECT_EQ(push::FillerPacket(4).size(), 4);

    // Filler for any length fills it exactly, with no piece too short for its own header.
    for (std::size_t total : {0u, 4u, 8u, 65535u, 65536u, 65538u, 65539u, 131070u, 2000000u}) {
        std::size_t sum = 0;
        for (const QByteArray& filler : push::FillerPackets(total)) {
            EXPECT_GE(filler.size(), 4);
            EXPECT_LE(filler.size(), 65535);
            sum += static_cast<std::size_t>(filler.size());
        }
        EXPECT_EQ(sum, total) << total;
    }
}

TEST(PushFraming, TheReaderStopsAtTheFirstMalformedPacket)
{
    struct Case {
        QByteArray body;
        const char* error;
    } cases[] = {
        {QByteArray("GET / HTTP/1.1\r\n"), "'$'"},
        {QByteArray("$Z\x01\x00x", 5), "unknown packet type 0x5a"},
        {QByteArray("$E\x02\x00\x00\x00", 6), "$E packet of 2 bytes"},
        {QByteArray("$C\x04\x00\x00\x00\x00\x00", 8), "$C packet of 4 bytes"},
        {QByteArray("$D\x00\x00", 4), "$D packet of 0 bytes"},
        {QByteArray("$D\xff\xff", 4) + QByteArray(65535, 'x'), "$D packet of 65535 bytes"},
    };
    for (const Case& c : cases) {
        push::PushBodyReader reader;
        std::vector<push::PushPacket> packets;
        const QByteArray body = push::DataPacket("ok") + c.body + push::DataPacket("never");
        EXPECT_FALSE(reader.Feed(body.constData(), static_cast<std::size_t>(body.size()), packets));
        EXPECT_NE(reader.Error().find(c.error), std::string::npos) << reader.Error();
        ASSERT_EQ(packets.size(), 1u) << "the packet before the fault is kept";
        EXPECT_FALSE(reader.Feed("$D\x01\x00x", 5, packets)) << "a failed reader stays failed";
    }
}

TEST(AsfPadding, StrippedPacketsOfAsfmuxComeBackByteForByte)
{
    const std::vector<AsfUnit> units = SplitTestStream();
    ASSERT_GT(units.size(), 20u);
    const std::uint32_t packetSize = units.front().header.packetSize;
    int stripped = 0;
    for (std::size_t i = 1; i < units.size(); ++i) {
        const QByteArray& packet = units[i].bytes;
        const auto small = asf::StripPadding(packet);
        ASSERT_TRUE(small) << "packet " << i;
        if (small->size() < packet.size())
            ++stripped;
        const auto padded = asf::RestorePadding(*small, packetSize);
        ASSERT_TRUE(padded) << "packet " << i;
        EXPECT_EQ(*padded, packet) << "packet " << i;
        EXPECT_EQ(asf::StripPadding(*small), *small) << "stripping twice changes nothing";
    }
    EXPECT_GT(stripped, 0) << "the test stream has padded packets";
}

TEST(AsfPadding, PacketsWithoutAPaddingFieldAreWidenedAndBadPacketsRefused)
{
    // A packet with no Packet Length, no sequence and no Padding Length field: flags 0x01
    // (several payloads), then the property flags, Send Time and Duration, one payload.
    QByteArray bare("\x01\x5d", 2);
    bare += QByteArray("\x10\x27\x00\x00", 4) + QByteArray("\x28\x00", 2);  // send time 10000 ms, duration 40
    bare += QByteArray("\x81", 1) + QByteArray(40, 'p');                   // the rest: payload bytes
    const auto padded = asf::RestorePadding(bare, 300);
    ASSERT_TRUE(padded);
    EXPECT_EQ(padded->size(), 300);
    const auto* p = reinterpret_cast<const std::uint8_t*>(padded->constData());
    EXPECT_EQ((p[0] >> 3) & 3, 2) << "a word-sized Padding Length was added";
    EXPECT_EQ(asf::ReadLe16(p + 2), 300u - bare.size() - 2u);
    EXPECT_EQ(asf::ReadLe32(p + 4), 10000u) << "Send Time kept";
    EXPECT_EQ(padded->mid(10, 41), bare.mid(8)) << "payload kept";

    EXPECT_FALSE(asf::RestorePadding(QByteArray(301, '\x01'), 300)) << "larger than the packet size";
    EXPECT_FALSE(asf::StripPadding(QByteArray("\x58", 1))) << "fields beyond the end";
    QByteArray lying("\x09\x5d\xff\x00\x00\x00\x00\x00\x00\x00", 10);  // byte-wide padding of 255 in 10 bytes
    EXPECT_FALSE(asf::StripPadding(lying));
    EXPECT_FALSE(asf::RestorePadding(lying, 400));
}

TEST(HttpAuth, ChallengesAreReadWhetherTheyShareAFieldOrNot)
{
    const auto challenges = http::ParseChallenges(
        {"Digest realm=\"Castora media server 1\", nonce=\"abc-123\", qop=\"auth,auth-int\", algorithm=MD5, "
         "Basic realm=\"x\"",
         "Negotiate TlRMTVNTUAACAAAADgAOADgAAAA=", "NTLM"});
    ASSERT_EQ(challenges.size(), 4u);
    EXPECT_EQ(challenges[0].scheme, http::AuthScheme::Digest);
    EXPECT_EQ(challenges[0].Param("REALM"), "Castora media server 1");
    EXPECT_EQ(challenges[0].Param("qop"), "auth,auth-int");
    EXPECT_EQ(challenges[1].scheme, http::AuthScheme::Basic);
    EXPECT_EQ(challenges[1].Param("realm"), "x");
    EXPECT_EQ(challenges[2].token68, "TlRMTVNTUAACAAAADgAOADgAAAA=");
    EXPECT_EQ(challenges[3].schemeName, "NTLM");
    EXPECT_TRUE(http::ParseChallenges({"Digest realm=\"unterminated"}).empty());
    EXPECT_FALSE(http::ParseAuthorization("Basic a b"));
}

TEST(HttpAuth, DigestAnswersMatchRfc2617AndTheServerCheck)
{
    // The example of RFC 2617 section 3.5.
    EXPECT_EQ(http::DigestResponse("Mufasa", "testrealm@host.com", "Circle Of Life", "GET", "/dir/index.html",
                                   "dcd98b7102dd2f0e8b11d0f600bfb0c093", "00000001", "0a4f113b", "auth"),
              "6629fae49393a05397450978507c4ef1");

    http::AuthParams challenge = http::ParseChallenges({"Digest realm=\"r\", nonce=\"n1\", qop=\"auth\", opaque=\"o\""})[0];
    http::DigestAnswer answer(challenge, "push", "pass\"word");
    const std::string first = answer.Authorization("POST", "/live1");
    const std::string second = answer.Authorization("POST", "/live1");
    EXPECT_NE(first.find("nc=00000001"), std::string::npos);
    EXPECT_NE(second.find("nc=00000002"), std::string::npos);
    EXPECT_NE(first.find("opaque=\"o\""), std::string::npos);
    for (const std::string& value : {first, second}) {
        const auto parsed = http::ParseAuthorization(value);
        ASSERT_TRUE(parsed) << value;
        EXPECT_TRUE(http::DigestMatches(*parsed, "POST", "/live1", "r", "push", "pass\"word"));
        EXPECT_FALSE(http::DigestMatches(*parsed, "POST", "/live1", "r", "push", "wrong"));
        EXPECT_FALSE(http::DigestMatches(*parsed, "POST", "/live2", "r", "push", "pass\"word")) << "another target";
        EXPECT_FALSE(http::DigestMatches(*parsed, "GET", "/live1", "r", "push", "pass\"word"));
    }
    // Without qop the older form is answered and checked.
    http::DigestAnswer plain(http::ParseChallenges({"Digest realm=\"r\", nonce=\"n2\""})[0], "push", "pass");
    const auto parsed = http::ParseAuthorization(plain.Authorization("POST", "/p"));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->Param("qop"), "");
    EXPECT_TRUE(http::DigestMatches(*parsed, "POST", "/p", "r", "push", "pass"));
}

TEST(HttpAuth, BasicCredentialsRoundTrip)
{
    const auto value = http::ParseAuthorization(http::BasicAuthorization("push", "pushpass"));
    ASSERT_TRUE(value);
    EXPECT_EQ(value->token68, "cHVzaDpwdXNocGFzcw==");
    EXPECT_TRUE(http::BasicMatches(*value, "push", "pushpass"));
    EXPECT_FALSE(http::BasicMatches(*value, "push", "pushpas"));
    EXPECT_FALSE(http::BasicMatches(*http::ParseAuthorization("Basic !!notbase64"), "push", "pushpass"));
}

TEST(ResponseHead, HeadAndBodyAreToldApartAcrossReads)
{
    const std::string answer =
        "HTTP/1.1 401 Unauthorized\r\nServer: Cougar/9.5.6001.18000\r\nWWW-Authenticate: Digest realm=\"a\"\r\n"
        "WWW-Authenticate: Basic realm=\"a\"\r\nSet-Cookie: other=1\r\nSet-Cookie: push-id=4124758405; Path=/\r\n"
        "Content-Length: 4\r\n\r\nbody";
    http::ResponseHead head;
    std::size_t used = 0;
    for (std::size_t pos = 0; pos < answer.size(); pos += 7)
        used += head.Feed(answer.data() + pos, std::min<std::size_t>(7, answer.size() - pos));
    ASSERT_EQ(head.CurrentState(), http::ResponseHead::State::Complete);
    EXPECT_EQ(used, answer.size() - 4) << "the body is not the head's";
    EXPECT_EQ(head.Status(), 401);
    EXPECT_EQ(head.Reason(), "Unauthorized");
    EXPECT_EQ(head.Fields("www-authenticate").size(), 2u);
    EXPECT_EQ(head.Cookie("push-id"), "4124758405");
    EXPECT_EQ(head.ContentLength(), 4);

    for (const char* bad : {"HTTP/1.1 2x4 No\r\n\r\n", "ICY 200 OK\r\n\r\n", "HTTP/1.1 204 No\r\nno colon\r\n\r\n"}) {
        http::ResponseHead malformed;
        malformed.Feed(bad, std::strlen(bad));
        EXPECT_EQ(malformed.CurrentState(), http::ResponseHead::State::Malformed) << bad;
    }
    http::ResponseHead endless;
    const std::string filler(http::ResponseHead::kMaxHeadSize + 10, 'a');
    endless.Feed(filler.data(), filler.size());
    EXPECT_EQ(endless.CurrentState(), http::ResponseHead::State::Malformed);
}
