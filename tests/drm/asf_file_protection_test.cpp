// Protecting and decrypting real WMV files: the protected file stays an ASF file that
// media tools read and recognise as protected, its pictures are not the original's,
// and decryption with the content key gives back exactly the original frames.

#include "drm/asf_file_transform.h"
#include "drm/asf_header_rewrite.h"
#include "drm/asf_protecting_writer.h"
#include "drm/content_key.h"
#include "drm/rights_header.h"
#include "drm_test_media.h"
#include "protection_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace drm;
using namespace drm_test;

namespace {

class AsfFileProtection : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new QTemporaryDir;
        asfmux_ = MakeAsfmuxWmv(dir_->filePath("asfmux.wmv"), 10);
        ffmpeg_ = MakeFfmpegWmv(dir_->filePath("ffmpeg.wmv"), 4);
    }
    static void TearDownTestSuite() { delete dir_; }
    QString Path(const QString& name) const { return dir_->filePath(name); }

    static QTemporaryDir* dir_;
    static QString asfmux_;
    static QString ffmpeg_;
};

QTemporaryDir* AsfFileProtection::dir_ = nullptr;
QString AsfFileProtection::asfmux_;
QString AsfFileProtection::ffmpeg_;

TEST_F(AsfFileProtection, ProtectedFilesDecryptToTheOriginalFrames) {
    for (const QString& original : {asfmux_, ffmpeg_}) {
        ASSERT_FALSE(original.isEmpty()) << "test media could not be made";
        SCOPED_TRACE(original.toStdString());
        const ContentProtection protection = MakeProtection();
        ASSERT_FALSE(protection.contentKey.isEmpty());
        const QString protectedPath = Path("protected.wmv");
        const QString decrypted = Path("decrypted.wmv");
        ASSERT_EQ(asf::ProtectFile(original, protectedPath, protection), S_OK);

        // A valid ASF file that ffprobe reads, with the same streams.
        const QString probed = ProbeFormat(protectedPath);
        EXPECT_TRUE(probed.contains("format_name=asf")) << probed.toStdString();
        EXPECT_TRUE(probed.contains("codec_name=wmv2")) << probed.toStdString();
        EXPECT_TRUE(probed.contains("codec_name=wmav2")) << probed.toStdString();
        EXPECT_TRUE(probed.contains("TAG:encryption=ASF Extended Content Encryption")) << probed.toStdString();
        EXPECT_TRUE(probed.contains("TAG:ASF_Key_ID=" + protection.keyId)) << probed.toStdString();

        // Without the key the pictures are not the original ones.
        const QStringList originalVideo = FrameMd5(original, "0:v");
        ASSERT_GT(originalVideo.size(), 50);
        const QStringList protectedVideo = FrameMd5(protectedPath, "0:v");
        int same = 0;
        for (const QString& frame : protectedVideo) same += originalVideo.contains(frame) ? 1 : 0;
        EXPECT_EQ(same, 0) << "frames decoded from the protected file equal the original's";

        // The header says who protected it and where the licence is.
        asf::ProtectionMarks marks;
        ASSERT_EQ(asf::ReadFileMarks(protectedPath, &marks), S_OK);
        EXPECT_EQ(marks.v1KeyId, protection.keyId);
        EXPECT_EQ(marks.licenceUrl, "http://127.0.0.1/drm/license");
        const auto header = ParseRightsHeader(marks.rightsHeader);
        ASSERT_TRUE(header);
        EXPECT_EQ(header->data.keyId, protection.keyId);
        EXPECT_TRUE(HeaderSignatureValid(*header));

        // Decrypted with the key: every decoded video and audio frame is the original's,
        // and the file is byte for byte the original.
        ASSERT_EQ(asf::DecryptFile(protectedPath, decrypted, protection.contentKey), S_OK);
        EXPECT_EQ(FrameMd5(decrypted), FrameMd5(original));
        EXPECT_EQ(ReadAll(decrypted), ReadAll(original));
        asf::ProtectionMarks none;
        EXPECT_EQ(asf::ReadFileMarks(decrypted, &none), NS_E_DRM_NOT_PROTECTED);
    }
}

TEST_F(AsfFileProtection, ProtectingTwiceAndTheWrongKeyAreRefusedOrUseless) {
    ASSERT_FALSE(asfmux_.isEmpty());
    const ContentProtection first = MakeProtection();
    ASSERT_EQ(asf::ProtectFile(asfmux_, Path("once.wmv"), first), S_OK);
    EXPECT_EQ(asf::ProtectFile(Path("once.wmv"), Path("twice.wmv"), MakeProtection()), NS_E_DRM_ALREADY_PROTECTED);
    EXPECT_FALSE(QFile::exists(Path("twice.wmv")));
    // Another key id's key decrypts to something else.
    ASSERT_EQ(asf::DecryptFile(Path("once.wmv"), Path("wrong.wmv"), MakeProtection().contentKey), S_OK);
    EXPECT_NE(FrameMd5(Path("wrong.wmv"), "0:v"), FrameMd5(asfmux_, "0:v"));
    EXPECT_EQ(asf::DecryptFile(asfmux_, Path("plain.wmv"), first.contentKey), NS_E_DRM_NOT_PROTECTED);
}

TEST_F(AsfFileProtection, BrokenInputsFailWithTheirCodeAndLeaveNoOutput) {
    ASSERT_FALSE(asfmux_.isEmpty());
    const QByteArray original = ReadAll(asfmux_);
    const ContentProtection protection = MakeProtection();
    const QString out = Path("out.wmv");

    struct Case {
        const char* name;
        QByteArray bytes;
        HRESULT expected;
    };
    QByteArray headerOnly;
    asf::AsfLayout layout;
    {
        std::uint64_t block = 0;
        ASSERT_EQ(asf::HeaderBlockSize(reinterpret_cast<const std::uint8_t*>(original.constData()), 24, &block), S_OK);
        headerOnly = original.left(static_cast<qsizetype>(block));
        ASSERT_EQ(asf::ReadLayout(headerOnly, &layout), S_OK);
    }
    // A header whose Data Object declares no packets.
    QByteArray noPackets = headerOnly;
    for (int i = 0; i < 8; ++i) noPackets[static_cast<qsizetype>(layout.headerSize) + 16 + i] = i == 0 ? 50 : 0;
    const Case cases[] = {
        {"not asf", QByteArray("RIFF\0\0\0\0WAVEfmt ", 16) + QByteArray(4000, 'x'), NS_E_DRM_NOT_ASF},
        {"empty", QByteArray(), NS_E_DRM_NOT_ASF},
        {"truncated header", original.left(300), NS_E_DRM_ASF_TRUNCATED},
        {"truncated packets", original.left(original.size() / 2), NS_E_DRM_ASF_TRUNCATED},
        {"no packets", noPackets, NS_E_DRM_ASF_NO_PACKETS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteAll(Path("bad.wmv"), c.bytes));
        EXPECT_EQ(asf::ProtectFile(Path("bad.wmv"), out, protection), c.expected);
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_TRUE(QDir(dir_->path()).entryList({"out.wmv*"}, QDir::Files | QDir::Hidden).isEmpty());
    }

    // A header that says it is 100 MB is refused before anything is read (a sparse file).
    {
        QFile big(Path("big.wmv"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        QByteArray head = original.left(24);
        const std::uint64_t hundredMb = 100ull << 20;
        for (int i = 0; i < 8; ++i) head[16 + i] = static_cast<char>((hundredMb >> (8 * i)) & 0xFF);
        big.write(head);
        big.resize(static_cast<qint64>(hundredMb) + 4096);
    }
    EXPECT_EQ(asf::ProtectFile(Path("big.wmv"), out, protection), NS_E_DRM_ASF_HEADER_TOO_LARGE);
    EXPECT_FALSE(QFile::exists(out));

    // A packet whose payload lengths run past its end.
    QByteArray badPacket = original;
    const qsizetype firstPacket = static_cast<qsizetype>(layout.BlockSize());
    badPacket[firstPacket + 12] = static_cast<char>(0xBF);  // 63 payloads, word lengths
    ASSERT_TRUE(WriteAll(Path("badpacket.wmv"), badPacket));
    EXPECT_EQ(asf::ProtectFile(Path("badpacket.wmv"), out, protection), NS_E_DRM_ASF_BAD_PACKET);
    EXPECT_FALSE(QFile::exists(out));

    // Missing input; output into a folder that does not exist.
    EXPECT_EQ(asf::ProtectFile(Path("missing.wmv"), out, protection), E_FILE_NOT_FOUND);
    EXPECT_EQ(asf::ProtectFile(asfmux_, Path("no/such/folder/out.wmv"), protection), E_ACCESSDENIED);
}

}  // namespace

namespace {

// What a muxer does with its file: the header first, the packets in order, the index,
// then the header again at the places it updates.
void WriteLikeAMuxer(drm::asf::AsfProtectingWriter& writer, const QByteArray& plain, std::uint64_t blockSize) {
    const std::uint64_t size = static_cast<std::uint64_t>(plain.size());
    // A placeholder header first (zero sizes), as muxers write before they know them.
    QByteArray early = plain.left(static_cast<qsizetype>(blockSize));
    const qsizetype dataObject = static_cast<qsizetype>(blockSize) - 50;
    for (const qsizetype field : {qsizetype{30 + 40}, qsizetype{30 + 56}, dataObject + 16, dataObject + 40})
        for (int i = 0; i < 8; ++i) early[field + i] = 0;
    ASSERT_TRUE(writer.Write(0, early.constData(), early.size()));
    for (std::uint64_t pos = blockSize; pos < size;) {
        const std::uint64_t piece = std::min<std::uint64_t>(size - pos, 1000 + pos % 3000);
        ASSERT_TRUE(writer.Write(pos, plain.constData() + pos, piece)) << writer.Error().toStdString();
        pos += piece;
    }
    ASSERT_TRUE(wavetap::asf::GuidAt(reinterpret_cast<const std::uint8_t*>(plain.constData()) + 30,
                                     wavetap::asf::kFilePropertiesObject));
    ASSERT_TRUE(writer.Write(30, plain.constData() + 30, 104));
    ASSERT_TRUE(writer.Write(blockSize - 50, plain.constData() + blockSize - 50, 50));
}

TEST_F(AsfFileProtection, TheWritingProtectorWritesWhatWholeFileProtectionWrites) {
    ASSERT_FALSE(asfmux_.isEmpty());
    const QByteArray plain = ReadAll(asfmux_);
    std::uint64_t blockSize = 0;
    ASSERT_EQ(asf::HeaderBlockSize(reinterpret_cast<const std::uint8_t*>(plain.constData()), 24, &blockSize), S_OK);
    const ContentProtection protection = MakeProtection();
    ASSERT_EQ(asf::ProtectFile(asfmux_, Path("whole.wmv"), protection), S_OK);

    asf::AsfProtectingWriter writer(protection);
    ASSERT_TRUE(writer.Open(Path("written.wmv")));
    WriteLikeAMuxer(writer, plain, blockSize);
    ASSERT_TRUE(writer.Close()) << writer.Error().toStdString();
    EXPECT_EQ(ReadAll(Path("written.wmv")), ReadAll(Path("whole.wmv")));

    // Packets out of order, or a stop in the middle of a packet, are failures.
    asf::AsfProtectingWriter jumpy(protection);
    ASSERT_TRUE(jumpy.Open(Path("jumpy.wmv")));
    ASSERT_TRUE(jumpy.Write(0, plain.constData(), blockSize));
    EXPECT_FALSE(jumpy.Write(blockSize + 4800, plain.constData() + blockSize + 4800, 4800));
    EXPECT_FALSE(jumpy.Close());
    asf::AsfProtectingWriter cut(protection);
    ASSERT_TRUE(cut.Open(Path("cut.wmv")));
    ASSERT_TRUE(cut.Write(0, plain.constData(), blockSize + 100));
    EXPECT_FALSE(cut.Close());
    asf::AsfProtectingWriter notAsf(protection);
    ASSERT_TRUE(notAsf.Open(Path("notasf.wmv")));
    EXPECT_FALSE(notAsf.Write(0, QByteArray(100, 'x').constData(), 100));
}

}  // namespace
