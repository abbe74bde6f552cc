// The splitter and packet scan on a real ASF stream written by GStreamer's asfmux.
#include <gtest/gtest.h>

#include <random>

#include "test_media.h"
#include "wavetap/stream/asf_format.h"
#include "wavetap/stream/asf_packet_scan.h"
#include "wavetap/stream/asf_stream_splitter.h"

using wavetap::AsfStreamSplitter;
using wavetap::AsfUnit;

namespace {

class AsfStreamSplitterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        stream_ = new std::string(EncodeTestAsf(4));
        ASSERT_GT(stream_->size(), 10000u);
    }
    static void TearDownTestSuite() { delete stream_; }

    // Feeds the bytes in random pieces of 1 to maxPiece bytes.
    static std::vector<AsfUnit> FeedInPieces(const std::string& bytes, std::size_t maxPiece, unsigned seed)
    {
        AsfStreamSplitter splitter;
        std::vector<AsfUnit> units;
        std::mt19937 random(seed);
        for (std::size_t pos = 0; pos < bytes.size();) {
            const std::size_t piece = std::min<std::size_t>(1 + random() % maxPiece, bytes.size() - pos);
            splitter.Feed(bytes.data() + pos, piece, units);
            pos += piece;
        }
        return units;
    }

    static std::string* stream_;
};

std::string* AsfStreamSplitterTest::stream_ = nullptr;

TEST_F(AsfStreamSplitterTest, SplitsIntoHeaderAndWholePacketsWhateverThePieces)
{
    for (std::size_t maxPiece : {1u, 7u, 1999u, 65536u}) {
        const std::vector<AsfUnit> units = FeedInPieces(*stream_, maxPiece, static_cast<unsigned>(maxPiece));
        ASSERT_FALSE(units.empty());
        ASSERT_EQ(units[0].kind, AsfUnit::Kind::Header);
        const auto& header = units[0].header;
        EXPECT_EQ(header.packetSize, 2000u);
        EXPECT_EQ(header.streamCount, 2);
        EXPECT_EQ(header.videoStreams.count(), 1u);
        // Header plus packets give back the stream byte for byte.
        QByteArray joined;
        for (std::size_t i = 0; i < units.size(); ++i) {
            if (i > 0) {
                EXPECT_EQ(units[i].kind, AsfUnit::Kind::Packet);
                EXPECT_EQ(units[i].bytes.size(), 2000);
            }
            joined += units[i].bytes;
        }
        EXPECT_EQ(joined.toStdString(), *stream_) << "pieces up to " << maxPiece;
    }
}

TEST_F(AsfStreamSplitterTest, MarksKeyFramePacketsAsStartPoints)
{
    const std::vector<AsfUnit> units = FeedInPieces(*stream_, 4096, 1);
    int startPoints = 0;
    std::uint32_t lastSendTime = 0;
    for (std::size_t i = 1; i < units.size(); ++i) {
        const auto info = wavetap::asf::ScanPacket(reinterpret_cast<const std::uint8_t*>(units[i].bytes.constData()),
                                                   static_cast<std::size_t>(units[i].bytes.size()), units[0].header);
        ASSERT_TRUE(info.has_value()) << "packet " << i;
        EXPECT_GE(info->sendTimeMs, lastSendTime);
        lastSendTime = info->sendTimeMs;
        startPoints += units[i].startPoint ? 1 : 0;
    }
    EXPECT_TRUE(units[1].startPoint) << "the first packet holds the first key frame";
    // 4 s at 25 fps with a key frame every 12 frames: about 8 key frames, never every packet.
    EXPECT_GE(startPoints, 6);
    EXPECT_LT(startPoints, static_cast<int>(units.size()) - 1);
}

TEST_F(AsfStreamSplitterTest, SkipsGarbageAndFollowsANewStream)
{
    std::string bytes = "garbage before the stream" + std::string(3000, '\x30');
    bytes += *stream_;
    bytes += *stream_;  // the writer restarted: a second header at a packet boundary
    const std::vector<AsfUnit> units = FeedInPieces(bytes, 3000, 2);
    int headers = 0;
    for (const AsfUnit& unit : units)
        headers += unit.kind == AsfUnit::Kind::Header ? 1 : 0;
    EXPECT_EQ(headers, 2);
    EXPECT_EQ(units.front().kind, AsfUnit::Kind::Header);
    const std::size_t packetsPerStream = (units.size() - 2) / 2;
    EXPECT_EQ(units[packetsPerStream + 1].kind, AsfUnit::Kind::Header);
}

TEST_F(AsfStreamSplitterTest, RefusesHeadersItCannotServe)
{
    const std::vector<AsfUnit> good = FeedInPieces(*stream_, 65536, 3);
    const QByteArray header = good[0].bytes;
    const auto parse = [](const QByteArray& bytes) {
        return wavetap::asf::ParseHeader(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                         static_cast<std::size_t>(bytes.size()));
    };
    ASSERT_TRUE(parse(header).has_value());
    // The File Properties Object's packet sizes sit at 92 and 96 inside it; it follows the 30-byte header prolog.
    QByteArray unequalSizes = header;
    unequalSizes[30 + 92] = static_cast<char>(unequalSizes[30 + 92] + 1);
    EXPECT_FALSE(parse(unequalSizes).has_value());
    QByteArray truncated = header.left(header.size() - 1);
    EXPECT_FALSE(parse(truncated).has_value());
    QByteArray childTooLong = header;
    childTooLong[30 + 16 + 2] = 0x7F;  // a child object claiming more bytes than the header holds
    EXPECT_FALSE(parse(childTooLong).has_value());

    // Fed to the splitter, an unusable header yields nothing until a good one comes.
    AsfStreamSplitter splitter;
    std::vector<AsfUnit> units;
    splitter.Feed(unequalSizes.constData(), static_cast<std::size_t>(unequalSizes.size()), units);
    EXPECT_TRUE(units.empty());
    splitter.Feed(stream_->data(), stream_->size(), units);
    ASSERT_FALSE(units.empty());
    EXPECT_EQ(units[0].bytes, header);
}

TEST(AsfPacketScan, RejectsFieldsRunningPastThePacket)
{
    wavetap::asf::HeaderInfo header;
    header.packetSize = 32;
    header.videoStreams.set(1);
    // Multiple payloads, word packet length and padding; one payload claiming 200 bytes.
    std::uint8_t packet[32] = {0x51, 0x5D, 32, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x41, 0x81, 0, 0, 0, 0, 0, 0, 200, 0};
    EXPECT_FALSE(wavetap::asf::ScanPacket(packet, sizeof packet, header).has_value());
    // The same payload with a length that fits: a key frame of video stream 1 starting here.
    packet[12] = 0x81;  // one payload, word payload length
    packet[20] = 10;    // the 10 bytes left in the packet
    packet[21] = 0;
    const auto info = wavetap::asf::ScanPacket(packet, sizeof packet, header);
    ASSERT_TRUE(info.has_value());
    EXPECT_TRUE(info->startsVideoKeyFrame);
}

}  // namespace
