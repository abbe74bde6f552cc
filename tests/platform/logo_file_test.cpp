// The logo file and .bmp reading at the byte level: what the dialog writes, the overlay reads.

#include "platform/logo_file.h"

#include "tests/support/bmp_maker.h"

#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

quint32 Field32(const QByteArray& bytes, int at) { return qFromLittleEndian<quint32>(bytes.constData() + at); }

}  // namespace

TEST(LogoFile, EncodedFileReadsBackForTheDialogAndAsABmpForTheOverlay) {
    const QByteArray source = bmp_maker::Make({.width = 5, .height = 3, .storedImageSize = 999, .gap = 2});
    const auto bits = platform::ParseBmpFile(source);
    ASSERT_TRUE(bits);
    EXPECT_EQ(bits->size(), 40 + 16 * 3) << "rows right behind the header, the gap gone";

    const auto encoded = platform::EncodeLogoFile(7, 9, *bits);
    ASSERT_TRUE(encoded);
    EXPECT_EQ(encoded->size(), 20 + 40 + 48);
    EXPECT_EQ(Field32(*encoded, 8), quint32(encoded->size()));
    EXPECT_EQ(Field32(*encoded, 16), 60u);
    EXPECT_EQ(Field32(*encoded, 20 + 20), 48u) << "the lying image size is recomputed";

    const auto back = platform::ParseLogoFile(*encoded);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->left, 7);
    EXPECT_EQ(back->top, 9);
    EXPECT_EQ(back->bits, encoded->mid(20));

    const auto image = platform::LogoImageFromFile(*encoded);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->left, 7);
    EXPECT_EQ(image->top, 9);
    EXPECT_EQ(image->bmpFile.size(), 14 + 40 + 48);
    EXPECT_EQ(Field32(image->bmpFile, 10), 54u);
    EXPECT_EQ(image->bmpFile.mid(14), encoded->mid(20));

    QTemporaryDir dir;
    const QString path = dir.filePath("vek.dat");
    ASSERT_TRUE(platform::WriteLogoFile(path, 7, 9, *bits));
    EXPECT_TRUE(platform::ReadLogoImage(path));
}

TEST(LogoFile, RunLengthRowsKeepTheirStoredSize) {
    QByteArray bits(40 + 10, '\x01');
    auto* d = reinterpret_cast<uchar*>(bits.data());
    qToLittleEndian<quint32>(40, d);
    qToLittleEndian<qint32>(4, d + 4);
    qToLittleEndian<qint32>(4, d + 8);
    qToLittleEndian<quint16>(8, d + 14);
    qToLittleEndian<quint32>(1, d + 16);  // run-length, 8 bits
    qToLittleEndian<quint32>(10, d + 20);
    const auto encoded = platform::EncodeLogoFile(0, 0, bits);
    ASSERT_TRUE(encoded);
    EXPECT_EQ(Field32(*encoded, 40), 10u);
    EXPECT_EQ(encoded->size(), 70);
    qToLittleEndian<quint32>(11, d + 20);  // more than there is
    EXPECT_FALSE(platform::EncodeLogoFile(0, 0, bits));
}

TEST(LogoFile, MalformedInputIsRefusedNotRead) {
    EXPECT_FALSE(platform::ParseLogoFile("BM"));
    EXPECT_FALSE(platform::ParseLogoFile(QByteArray(40, 'x')));
    // The dialog's rule takes any "BM" file of 20 bytes; the overlay wants a whole picture.
    const QByteArray headerOnly = QByteArray("BM") + QByteArray(18, '\0');
    EXPECT_TRUE(platform::ParseLogoFile(headerOnly));
    EXPECT_FALSE(platform::LogoImageFromFile(headerOnly));

    const auto bits = platform::ParseBmpFile(bmp_maker::Make({.width = 4, .height = 4}));
    ASSERT_TRUE(bits);
    QByteArray file = *platform::EncodeLogoFile(1, 1, *bits);
    QByteArray shortRows = file.left(file.size() - 1);
    EXPECT_FALSE(platform::LogoImageFromFile(shortRows)) << "rows cut short";
    QByteArray badOffset = file;
    qToLittleEndian<quint32>(0xFFFFFFF0u, reinterpret_cast<uchar*>(badOffset.data()) + 16);
    EXPECT_FALSE(platform::LogoImageFromFile(badOffset));

    EXPECT_FALSE(platform::EncodeLogoFile(-1, 0, *bits));
    EXPECT_FALSE(platform::EncodeLogoFile(0, 70000, *bits));
    EXPECT_FALSE(platform::EncodeLogoFile(0, 0, bits->left(50))) << "rows missing";
    QByteArray hugeWidth = *bits;
    qToLittleEndian<qint32>(0x7FFFFFFF, reinterpret_cast<uchar*>(hugeWidth.data()) + 4);
    EXPECT_FALSE(platform::EncodeLogoFile(0, 0, hugeWidth));
    QByteArray minHeight = *bits;
    qToLittleEndian<qint32>(INT32_MIN, reinterpret_cast<uchar*>(minHeight.data()) + 8);
    EXPECT_FALSE(platform::EncodeLogoFile(0, 0, minHeight));

    EXPECT_FALSE(platform::ReadLogoFile("/nonexistent/vek.dat"));
    EXPECT_FALSE(platform::ReadBmpFile("/nonexistent/a.bmp"));
}
