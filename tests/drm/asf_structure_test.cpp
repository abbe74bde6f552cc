// The ASF pieces of protection on hand-made bytes: header blocks gain and lose their
// encryption objects exactly, and payloads are found in every packet layout.

#include "drm/asf_header_rewrite.h"
#include "drm/asf_packet_payloads.h"
#include "drm/asf_payload_cipher.h"
#include "drm/content_key.h"

#include <gtest/gtest.h>

using namespace drm;
using namespace drm::asf;

namespace {

void Le(QByteArray& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

QByteArray Object(const wavetap::asf::Guid& guid, const QByteArray& body) {
    QByteArray out(reinterpret_cast<const char*>(guid.data()), 16);
    Le(out, 24 + static_cast<std::uint64_t>(body.size()), 8);
    return out + body;
}

QByteArray FileProperties(std::uint64_t fileSize, std::uint32_t packetSize, std::uint32_t flags) {
    QByteArray body(16, 'F');  // file id
    Le(body, fileSize, 8);
    Le(body, 0, 8);    // creation date
    Le(body, 3, 8);    // packets
    for (int i = 0; i < 3; ++i) Le(body, 0, 8);  // durations
    Le(body, flags, 4);
    Le(body, packetSize, 4);
    Le(body, packetSize, 4);
    Le(body, 100000, 4);
    return Object(wavetap::asf::kFilePropertiesObject, body);
}

QByteArray StreamProperties(int number) {
    QByteArray body(reinterpret_cast<const char*>(wavetap::asf::kVideoMedia.data()), 16);
    body += QByteArray(16, 0);  // error correction type
    Le(body, 0, 8);
    Le(body, 0, 4);
    Le(body, 0, 4);
    Le(body, static_cast<std::uint64_t>(number), 2);
    Le(body, 0, 4);
    return Object(wavetap::asf::kStreamPropertiesObject, body);
}

// A header block: Header Object (file properties, two streams, an unknown object) + Data Object start.
QByteArray HeaderBlock(std::uint64_t fileSize, std::uint32_t flags = 2) {
    const QByteArray objects = FileProperties(fileSize, 200, flags) + StreamProperties(1) + StreamProperties(2) +
                               Object({0x11, 0x22}, QByteArray(10, 'u'));
    QByteArray block(reinterpret_cast<const char*>(wavetap::asf::kHeaderObject.data()), 16);
    Le(block, 30 + static_cast<std::uint64_t>(objects.size()), 8);
    Le(block, 4, 4);
    block += QByteArray("\x01\x02", 2) + objects;
    block += QByteArray(reinterpret_cast<const char*>(wavetap::asf::kDataObject.data()), 16);
    Le(block, 50 + 3 * 200, 8);
    block += QByteArray(16, 'F');
    Le(block, 3, 8);
    block += QByteArray("\x01\x01", 2);
    return block;
}

ProtectionMarks Marks() {
    return {NewKeyId(), "http://licence", QByteArray("secret"), "DRM", "<WRMHEADER>...</WRMHEADER>"};
}

TEST(AsfHeaderRewrite, ProtectionIsAddedAndTakenBackExactly) {
    const QByteArray block = HeaderBlock(1234);
    AsfLayout before;
    ASSERT_EQ(ReadLayout(block, &before), S_OK);
    EXPECT_EQ(before.packetSize, 200u);
    EXPECT_FALSE(before.protectedContent);

    QByteArray protectedBlock;
    ASSERT_EQ(ProtectHeader(block, Marks(), &protectedBlock), S_OK);
    AsfLayout after;
    ASSERT_EQ(ReadLayout(protectedBlock, &after), S_OK);
    EXPECT_TRUE(after.protectedContent);
    const auto grown = static_cast<std::uint64_t>(protectedBlock.size() - block.size());
    EXPECT_EQ(after.headerSize, before.headerSize + grown);
    EXPECT_EQ(wavetap::asf::ReadLe32(reinterpret_cast<const std::uint8_t*>(protectedBlock.constData()) + 24), 6u);
    // The file size moved by what the header grew; the Data Object is untouched.
    const auto* fp = reinterpret_cast<const std::uint8_t*>(protectedBlock.constData()) + 30;
    EXPECT_EQ(wavetap::asf::ReadLe64(fp + 40), 1234 + grown);
    EXPECT_EQ(protectedBlock.right(50), block.right(50));

    ProtectionMarks read;
    ASSERT_EQ(ReadMarks(protectedBlock, &read), S_OK);
    EXPECT_EQ(read.v1KeyId.size(), 24);
    EXPECT_EQ(read.licenceUrl, "http://licence");
    EXPECT_EQ(read.rightsHeader, "<WRMHEADER>...</WRMHEADER>");
    EXPECT_EQ(ProtectHeader(protectedBlock, Marks(), &read.secretData), NS_E_DRM_ALREADY_PROTECTED);

    QByteArray restored;
    ASSERT_EQ(UnprotectHeader(protectedBlock, &restored, &read), S_OK);
    EXPECT_EQ(restored, block);
    EXPECT_EQ(ReadMarks(block, &read), NS_E_DRM_NOT_PROTECTED);
}

TEST(AsfHeaderRewrite, LiveHeadersKeepTheirOpenSizes) {
    const QByteArray live = HeaderBlock(0, 1);  // broadcast flag, no file size
    QByteArray protectedBlock;
    ASSERT_EQ(ProtectHeader(live, Marks(), &protectedBlock), S_OK);
    EXPECT_EQ(wavetap::asf::ReadLe64(reinterpret_cast<const std::uint8_t*>(protectedBlock.constData()) + 30 + 40), 0u);
}

TEST(AsfHeaderRewrite, MalformedBlocksAreRefused) {
    const QByteArray block = HeaderBlock(1234);
    AsfLayout layout;
    QByteArray overlong = block;
    overlong[30 + 16] = static_cast<char>(0xFF);  // the first object claims more than the header
    QByteArray noData = block;
    noData[noData.size() - 50] = 'X';
    QByteArray variablePackets = block;
    variablePackets[30 + 96] = 1;
    for (const QByteArray& bad : {QByteArray(), block.left(60), overlong, noData, variablePackets, block + "x"})
        EXPECT_EQ(ReadLayout(bad, &layout), NS_E_DRM_NOT_ASF);
    QByteArray huge = block;
    for (int i = 0; i < 8; ++i) huge[16 + i] = i == 3 ? 1 : 0;  // 16 MiB
    std::uint64_t size = 0;
    EXPECT_EQ(HeaderBlockSize(reinterpret_cast<const std::uint8_t*>(huge.constData()), 24, &size),
              NS_E_DRM_ASF_HEADER_TOO_LARGE);
}

// Packet builders for the payload layouts.
QByteArray SinglePayloadPacket(int padding) {
    QByteArray p;
    p += char(0x82) + QByteArray("\x00\x00", 2);   // error correction, 2 bytes
    p += char(0x08);                               // single payload, padding length as a byte
    p += char(0x5D);                               // replicated byte, offset dword, object byte, stream byte
    p += char(padding);
    Le(p, 1000, 4);                                // send time
    Le(p, 40, 2);                                  // duration
    p += char(0x81);                               // stream 1, key frame
    p += char(7);                                  // object number
    Le(p, 16, 4);                                  // offset into object
    p += char(8);
    Le(p, 500, 4);                                 // object size
    Le(p, 4000, 4);                                // presentation time
    const int header = static_cast<int>(p.size());
    p += QByteArray(100 - header - padding, 'D');
    p += QByteArray(padding, '\0');
    return p;
}

QByteArray CompressedPacket() {
    QByteArray p;
    p += char(0x01);  // multiple payloads, no error correction
    p += char(0x5D);
    Le(p, 2000, 4);
    Le(p, 0, 2);
    p += char(0x41);  // one payload, byte lengths
    p += char(2);     // stream 2
    p += char(9);     // first object number
    Le(p, 6000, 4);   // presentation time (compressed)
    p += char(1);     // replicated length 1: compressed
    p += char(20);    // presentation time delta
    p += char(13);    // payload length: four sub-payloads with their length bytes
    p += char(2) + QByteArray("aa") + char(3) + QByteArray("bbb") + char(1) + QByteArray("c") + char(3) + "ddd";
    return p;
}

TEST(AsfPacketPayloads, EveryLayoutGivesItsPieces) {
    std::vector<PayloadPiece> pieces;
    const QByteArray single = SinglePayloadPacket(10);
    ASSERT_TRUE(ReadPayloads(reinterpret_cast<const std::uint8_t*>(single.constData()), 100, &pieces));
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].stream, 1);
    EXPECT_EQ(pieces[0].objectNumber, 7u);
    EXPECT_EQ(pieces[0].objectOffset, 16u);
    EXPECT_EQ(pieces[0].presentationTime, 4000u);
    EXPECT_EQ(pieces[0].dataPos + pieces[0].dataSize, 90u);  // the padding is not data

    const QByteArray compressed = CompressedPacket();
    ASSERT_TRUE(ReadPayloads(reinterpret_cast<const std::uint8_t*>(compressed.constData()),
                             static_cast<std::size_t>(compressed.size()), &pieces));
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[1].objectNumber, 10u);
    EXPECT_EQ(pieces[1].dataSize, 3u);
    EXPECT_EQ(compressed.mid(static_cast<qsizetype>(pieces[1].dataPos), 3), "bbb");
    EXPECT_EQ(pieces[3].presentationTime, 6000u);

    // Fields that run past the packet.
    for (int cut : {1, 5, 14, 20}) EXPECT_FALSE(ReadPayloads(reinterpret_cast<const std::uint8_t*>(single.constData()),
                                                             static_cast<std::size_t>(cut), &pieces)) << cut;
    EXPECT_FALSE(ReadPayloads(reinterpret_cast<const std::uint8_t*>(compressed.constData()),
                              static_cast<std::size_t>(compressed.size() - 2), &pieces));
    // A packet length that leaves the padding out (asfmux) ends the data at that length.
    QByteArray shortLength = SinglePayloadPacket(10);
    shortLength[3] = char(0x28);  // packet length as a byte, padding as a byte
    shortLength.insert(5, char(90));
    shortLength.remove(shortLength.size() - 1, 1);
    ASSERT_TRUE(ReadPayloads(reinterpret_cast<const std::uint8_t*>(shortLength.constData()), 100, &pieces));
    EXPECT_EQ(pieces[0].dataPos + pieces[0].dataSize, 90u);

    QByteArray overPadded = SinglePayloadPacket(10);
    overPadded[5] = char(120);
    EXPECT_FALSE(ReadPayloads(reinterpret_cast<const std::uint8_t*>(overPadded.constData()), 100, &pieces));
}

TEST(AsfPayloadCipher, OnlyMediaDataChangesAndComesBack) {
    PayloadCipher cipher(RandomBytes(16));
    QByteArray packet = CompressedPacket();
    const QByteArray original = packet;
    ASSERT_TRUE(cipher.CryptPacket(reinterpret_cast<std::uint8_t*>(packet.data()), static_cast<std::size_t>(packet.size())));
    EXPECT_NE(packet, original);
    // Lengths and headers untouched: the packet still reads the same way.
    std::vector<PayloadPiece> a, b;
    ASSERT_TRUE(ReadPayloads(reinterpret_cast<const std::uint8_t*>(packet.constData()), static_cast<std::size_t>(packet.size()), &a));
    ReadPayloads(reinterpret_cast<const std::uint8_t*>(original.constData()), static_cast<std::size_t>(original.size()), &b);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].dataPos, b[i].dataPos);
    ASSERT_TRUE(cipher.CryptPacket(reinterpret_cast<std::uint8_t*>(packet.data()), static_cast<std::size_t>(packet.size())));
    EXPECT_EQ(packet, original);
}

}  // namespace
