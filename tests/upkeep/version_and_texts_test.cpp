// The updater's rules without a network: version texts and their order, the program's
// version note, addresses, and the texts of the download window.

#include "upkeep/download_texts.h"
#include "upkeep/local_version.h"
#include "upkeep/url_parts.h"
#include "upkeep/version_compare.h"

#include <QFile>

#include <elf.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using upkeep::ComparePublishedVersion;
using upkeep::PublishedVersion;

namespace {

TEST(VersionCompare, FieldsCountFromTheMostSignificant) {
    EXPECT_EQ(ComparePublishedVersion("2.0.1.5", "2.0.1.10"), PublishedVersion::Newer);
    EXPECT_EQ(ComparePublishedVersion("2.0.1.10", "2.0.1.5"), PublishedVersion::Older);
    EXPECT_EQ(ComparePublishedVersion("2.0.1.5", "2.0.1.5"), PublishedVersion::Same);
    EXPECT_EQ(ComparePublishedVersion("1.9.9.9", "2.0"), PublishedVersion::Newer);
    EXPECT_EQ(ComparePublishedVersion("3.0", "2.99.99.99"), PublishedVersion::Older);
}

TEST(VersionCompare, MissingFieldsAreZeroAndAtMostFourCount) {
    EXPECT_EQ(ComparePublishedVersion("2.0", "2.0.0.0"), PublishedVersion::Same);
    EXPECT_EQ(ComparePublishedVersion("2.0.0.0", "2"), PublishedVersion::Same);
    EXPECT_EQ(ComparePublishedVersion("2.0", "2.0.0.1"), PublishedVersion::Newer);
    // A fifth field is never looked at, not even for being a number.
    EXPECT_EQ(ComparePublishedVersion("2.0.1.5", "2.0.1.5.9"), PublishedVersion::Same);
    EXPECT_EQ(ComparePublishedVersion("2.0.1.5", "2.0.1.6.x.y"), PublishedVersion::Newer);
    // Empty fields are skipped, as the original tokeniser skips them.
    EXPECT_EQ(ComparePublishedVersion("2.0.1.5", "2..0.1.6"), PublishedVersion::Newer);
    EXPECT_EQ(ComparePublishedVersion("2.0", ""), PublishedVersion::Older);
}

TEST(VersionCompare, AnythingButDigitsFailsTheCompare) {
    for (const char* published : {"2.0.1a", "2.0.-1", "2.0. 1", "v2.0", "2,0", "２.0", "2.0.1.1e3"}) {
        EXPECT_EQ(ComparePublishedVersion("2.0.1.5", QString::fromUtf8(published)), PublishedVersion::NotNumeric)
            << published;
    }
    EXPECT_EQ(ComparePublishedVersion("2.0.x", "3.0"), PublishedVersion::NotNumeric);
}

TEST(VersionCompare, LongNumbersCompareByValueWithoutOverflow) {
    const QString huge = QString(40, u'9');
    EXPECT_EQ(ComparePublishedVersion("2.0", huge), PublishedVersion::Newer);
    EXPECT_EQ(ComparePublishedVersion(huge, "2.0"), PublishedVersion::Older);
    EXPECT_EQ(ComparePublishedVersion("2.0.1.5", "0002.00.001.0005"), PublishedVersion::Same);
    EXPECT_EQ(ComparePublishedVersion("4294967296", "4294967297"), PublishedVersion::Newer);
}

TEST(PublishedText, TakenUpToNulWithoutSurroundingBlanks) {
    EXPECT_EQ(upkeep::PublishedVersionText("2.0.1.10\r\n"), "2.0.1.10");
    EXPECT_EQ(upkeep::PublishedVersionText(QByteArray("2.0.1.10\0garbage\xff", 17)), "2.0.1.10");
    EXPECT_EQ(upkeep::PublishedVersionText(" 3.0 \n\n"), "3.0");
    EXPECT_EQ(upkeep::PublishedVersionText("\xb0\xe6\xb1\xbe 2.0"), QString::fromUtf8("版本 2.0"));  // GBK
}

TEST(LocalVersion, FourPartsUnlessTheLowWordIsZero) {
    EXPECT_EQ(upkeep::VersionText({(2u << 16) | 0, (1u << 16) | 5}), "2.0.1.5");
    EXPECT_EQ(upkeep::VersionText({(2u << 16) | 0, (1u << 16) | 10}), "2.0.1.10");
    EXPECT_EQ(upkeep::VersionText({(1u << 16) | 2, 0}), "1.2");
    EXPECT_EQ(upkeep::VersionText({0xFFFFFFFFu, 0xFFFFFFFFu}), "65535.65535.65535.65535");
    EXPECT_EQ(upkeep::VersionText({(3u << 16) | 1, 7}), "3.1.0.7");
}

// Appends one ELF note to a block laid out with the given alignment.
void AppendNote(std::vector<unsigned char>& block, const char* owner, std::uint32_t type,
                const std::vector<unsigned char>& description, std::size_t alignment) {
    const auto pad = [&] { block.resize((block.size() + alignment - 1) / alignment * alignment); };
    const std::uint32_t header[3] = {static_cast<std::uint32_t>(std::strlen(owner) + 1),
                                     static_cast<std::uint32_t>(description.size()), type};
    block.insert(block.end(), reinterpret_cast<const unsigned char*>(header),
                 reinterpret_cast<const unsigned char*>(header) + sizeof header);
    block.insert(block.end(), owner, owner + std::strlen(owner) + 1);
    pad();
    block.insert(block.end(), description.begin(), description.end());
    pad();
}

TEST(LocalVersion, NoteIsFoundAmongOthersAndMalformedBlocksAreRefused) {
    const std::vector<unsigned char> words = {5, 0, 1, 0, 10, 0, 2, 0};  // 1.5, 2.10 little-endian
    for (std::size_t alignment : {4u, 8u}) {
        std::vector<unsigned char> block;
        AppendNote(block, "GNU", 3, std::vector<unsigned char>(20, 0xAB), alignment);
        AppendNote(block, "FileVersion", 2, words, alignment);  // wrong type
        AppendNote(block, "FileVersion", 1, words, alignment);
        platform::FileVersionWords found;
        ASSERT_TRUE(upkeep::FindFileVersionNote(block.data(), block.size(), alignment, &found)) << alignment;
        EXPECT_EQ(upkeep::VersionText(found), "1.5.2.10");
    }
    std::vector<unsigned char> truncated;
    AppendNote(truncated, "FileVersion", 1, words, 4);
    platform::FileVersionWords found;
    for (std::size_t cut = 0; cut < truncated.size(); ++cut) {
        EXPECT_FALSE(upkeep::FindFileVersionNote(truncated.data(), cut, 4, &found)) << cut;
    }
    std::vector<unsigned char> lying = truncated;
    lying[4] = 0xFF;  // description size far past the block
    EXPECT_FALSE(upkeep::FindFileVersionNote(lying.data(), lying.size(), 4, &found));
}

// The note the updater reads, from the program file as the linker wrote it.
TEST(LocalVersion, TheProgramCarriesItsVersion) {
    QFile program(QStringLiteral(CASTORA_BIN_DIR "/castora"));
    ASSERT_TRUE(program.open(QIODevice::ReadOnly));
    const QByteArray image = program.readAll();
    ASSERT_GE(image.size(), static_cast<qsizetype>(sizeof(Elf64_Ehdr)));
    Elf64_Ehdr header;
    std::memcpy(&header, image.constData(), sizeof header);
    bool found = false;
    platform::FileVersionWords words;
    for (int i = 0; i < header.e_phnum && !found; ++i) {
        Elf64_Phdr segment;
        std::memcpy(&segment, image.constData() + header.e_phoff + i * header.e_phentsize, sizeof segment);
        if (segment.p_type != PT_NOTE) continue;
        found = upkeep::FindFileVersionNote(reinterpret_cast<const unsigned char*>(image.constData()) +
                                                segment.p_offset,
                                            segment.p_filesz, segment.p_align == 8 ? 8 : 4, &words);
    }
    ASSERT_TRUE(found);
    EXPECT_EQ(ComparePublishedVersion(upkeep::VersionText(words), CASTORA_PROGRAM_VERSION), PublishedVersion::Same)
        << upkeep::VersionText(words).toStdString();
}

TEST(DownloadTexts, SizesInBytesKilobytesAndMegabytes) {
    EXPECT_EQ(upkeep::SizeText(0), "0字节");
    EXPECT_EQ(upkeep::SizeText(1023), "1023字节");
    EXPECT_EQ(upkeep::SizeText(1024), "1.0K字节");
    EXPECT_EQ(upkeep::SizeText(1536), "1.5K字节");
    EXPECT_EQ(upkeep::SizeText(1048575), "1024.0K字节");
    EXPECT_EQ(upkeep::SizeText(1048576), "1.00M字节");
    EXPECT_EQ(upkeep::SizeText(209715200), "200.00M字节");
}

TEST(DownloadTexts, RatesBelowOneTenAndAbove) {
    EXPECT_EQ(upkeep::RateText(0.5), "512字节/秒");
    EXPECT_EQ(upkeep::RateText(0), "0字节/秒");
    EXPECT_EQ(upkeep::RateText(1), "1.00K字节/秒");
    EXPECT_EQ(upkeep::RateText(9.996), "10.00K字节/秒");
    EXPECT_EQ(upkeep::RateText(10), "10K字节/秒");
    EXPECT_EQ(upkeep::RateText(1234.4), "1234K字节/秒");
}

TEST(DownloadTexts, TimesAndTheRemainingLine) {
    EXPECT_EQ(upkeep::TimeText(0), "0秒");
    EXPECT_EQ(upkeep::TimeText(59), "59秒");
    EXPECT_EQ(upkeep::TimeText(60), "1分");
    EXPECT_EQ(upkeep::TimeText(61), "1分1秒");
    EXPECT_EQ(upkeep::TimeText(7325), "122分5秒");
    EXPECT_EQ(upkeep::RemainingText(61, 1536, 3145728), "1分1秒（已复制1.5K字节 共3.00M字节）");
    // 2 s for a quarter: 6 s for the rest.
    EXPECT_EQ(upkeep::SecondsLeft(2000, 250, 1000), 6);
    EXPECT_EQ(upkeep::SecondsLeft(2000, 0, 1000), 0);
    EXPECT_EQ(upkeep::SecondsLeft(2000, 1000, 1000), 0);
}

TEST(DownloadTexts, TitleKeepsThePercentSign) {
    EXPECT_EQ(upkeep::CompletedTitle(45, "CastoraSetup.msi"), "已完成45%CastoraSetup.msi");
    EXPECT_EQ(upkeep::CompletedTitle(100, "a%1b.msi"), "已完成100%a%1b.msi");
}

TEST(DownloadUrl, PartsOfHttpAndHttpsAddresses) {
    upkeep::UrlParts parts;
    ASSERT_TRUE(upkeep::ParseDownloadUrl("http://127.0.0.1:8088/update/CastoraSetup.msi?x=1", &parts));
    EXPECT_EQ(parts.scheme, "http");
    EXPECT_EQ(parts.server, "127.0.0.1");
    EXPECT_EQ(parts.port, 8088);
    EXPECT_EQ(parts.object, "/update/CastoraSetup.msi?x=1");
    EXPECT_EQ(parts.fileName, "CastoraSetup.msi");
    ASSERT_TRUE(upkeep::ParseDownloadUrl("HTTPS://example.com/a\\b\\Setup.msi", &parts));
    EXPECT_EQ(parts.scheme, "https");
    EXPECT_EQ(parts.port, 443);
    EXPECT_EQ(parts.fileName, "Setup.msi");
    // Without a scheme the address is taken as http.
    ASSERT_TRUE(upkeep::ParseDownloadUrl("localhost:81/x/y.msi", &parts));
    EXPECT_EQ(parts.Address(), "http://localhost:81/x/y.msi");
    EXPECT_FALSE(upkeep::ParseDownloadUrl("ftp://example.com/x.msi", &parts));
    EXPECT_FALSE(upkeep::ParseDownloadUrl("", &parts));
    EXPECT_EQ(upkeep::CanonicalUrl("http://h/更新 1/update.txt"), "http://h/%E6%9B%B4%E6%96%B0%201/update.txt");
}

}  // namespace
