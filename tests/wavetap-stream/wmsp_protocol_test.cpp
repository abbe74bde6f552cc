// A header too large for one $H packet, as Windows Media players reassemble it.
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

}  // namespace
