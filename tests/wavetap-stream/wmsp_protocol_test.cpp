// The framing of $H, $D and $E packets as Windows Media players and ffmpeg read it.
#include <gtest/gtest.h>

#include "wavetap/stream/asf_format.h"
#include "wavetap/stream/wmsp_protocol.h"

namespace {

std::uint32_t Le16(const char* p)
{
    return wavetap::asf::ReadLe16(reinterpret_cast<const std::uint8_t*>(p));
}

std::uint32_t Le32(const char* p)
{
    return wavetap::asf::ReadLe32(reinterpret_cast<const std::uint8_t*>(p));
}

TEST(WmspFraming, DataPacketPrefixCarriesLocationAndSizes)
{
    const wavetap::DataFramePrefix prefix = wavetap::DataPacketPrefix(0x01020304, 4800);
    EXPECT_EQ(prefix[0], '$');
    EXPECT_EQ(prefix[1], 'D');
    EXPECT_EQ(Le16(&prefix[2]), 4808u);  // what follows the framing header
    EXPECT_EQ(Le32(&prefix[4]), 0x01020304u);
    EXPECT_EQ(Le16(&prefix[10]), 4808u);
}

TEST(WmspFraming, LargeHeaderIsSplitIntoNumberedPieces)
{
    QByteArray header(150000, 'h');
    header[0] = 'A';
    header[header.size() - 1] = 'Z';
    const QByteArray framed = wavetap::FramedHeader(header);
    QByteArray payload;
    std::vector<int> flags;
    for (qsizetype pos = 0; pos < framed.size();) {
        const char* frame = framed.constData() + pos;
        ASSERT_EQ(frame[0], '$');
        ASSERT_EQ(frame[1], 'H');
        const std::uint32_t length = Le16(frame + 2);
        ASSERT_LE(length, 65535u);
        EXPECT_EQ(Le32(frame + 4), flags.size()) << "pieces are numbered from 0";
        EXPECT_EQ(Le16(frame + 10), length);
        flags.push_back(static_cast<unsigned char>(frame[9]));
        payload.append(frame + 12, length - 8);
        pos += 4 + length;
    }
    EXPECT_EQ(payload, header);
    ASSERT_EQ(flags.size(), 3u);
    EXPECT_EQ(flags, (std::vector<int>{0x04, 0x00, 0x08}));

    // A small header travels in one piece marked first and last.
    const QByteArray single = wavetap::FramedHeader(QByteArray(600, 'x'));
    ASSERT_EQ(single.size(), 612);
    EXPECT_EQ(static_cast<unsigned char>(single[9]), 0x0Cu);
}

TEST(WmspFraming, EndOfStreamAndResponses)
{
    const QByteArray end = wavetap::EndOfStreamPacket();
    ASSERT_EQ(end.size(), 8);
    EXPECT_EQ(end.left(2), "$E");
    EXPECT_EQ(Le16(end.constData() + 2), 4u);

    const QByteArray describe = wavetap::DescribeResponseHead(7, 612);
    EXPECT_TRUE(describe.startsWith("HTTP/1.0 200 OK\r\n"));
    EXPECT_TRUE(describe.contains("Content-Type: application/vnd.ms.wms-hdr.asfv1\r\n"));
    EXPECT_TRUE(describe.contains("Content-Length: 612\r\n"));
    EXPECT_TRUE(describe.contains("client-id=7"));
    EXPECT_TRUE(describe.endsWith("\r\n\r\n"));
    EXPECT_TRUE(wavetap::PlayResponseHead(7).contains("Content-Type: application/x-mms-framed\r\n"));
    EXPECT_TRUE(wavetap::PlainResponseHead().contains("Content-Type: video/x-ms-asf\r\n"));
    const QByteArray refused = wavetap::ErrorResponse(503);
    EXPECT_TRUE(refused.startsWith("HTTP/1.0 503 Service Unavailable\r\n"));
    const qsizetype bodyStart = refused.indexOf("\r\n\r\n") + 4;
    EXPECT_TRUE(refused.contains("Content-Length: " + QByteArray::number(refused.size() - bodyStart) + "\r\n"));
}

}  // namespace
