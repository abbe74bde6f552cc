#include "platform/code_page.h"
#include "platform/ini_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace platform;

namespace {

class IniStore : public ::testing::Test {
protected:
    QString Path(const QString& name = QStringLiteral("test.ini")) { return dir.filePath(name); }
    void WriteBytes(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray ReadBytes(const QString& path) {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    QString Read(const QString& section, const QString& key, const QString& path) {
        return GetPrivateProfileString(section, key, QStringLiteral("<default>"), path);
    }
    QTemporaryDir dir;
};

TEST_F(IniStore, MissingFileSectionOrKeyReadsDefault) {
    EXPECT_EQ(Read("S", "K", Path("absent.ini")), "<default>");
    WriteBytes(Path(), "[Other]\r\nK=1\r\n[S]\r\nX=2\r\n");
    EXPECT_EQ(Read("S", "K", Path()), "<default>");
    EXPECT_EQ(Read("Nope", "X", Path()), "<default>");
    EXPECT_EQ(GetPrivateProfileInt("S", "K", 42, Path()), 42);
}

TEST_F(IniStore, NamesMatchWithoutCaseAndBlanksAndQuotesAreRemoved) {
    WriteBytes(Path(), "  [ Server ]  \r\n  Url  =  \"http://h/x\"  \r\nIP= 'a b' \r\nEmpty=\r\nQ=\"unbalanced\r\n");
    EXPECT_EQ(Read("SERVER", "url", Path()), "http://h/x");
    EXPECT_EQ(Read("server", "ip", Path()), "a b");
    EXPECT_EQ(Read("Server", "Empty", Path()), "");
    EXPECT_EQ(Read("Server", "Q", Path()), "\"unbalanced");
}

TEST_F(IniStore, LongValueIsCutToTheBuffer) {
    const QString value(300, u'x');
    ASSERT_TRUE(WritePrivateProfileString("S", "K", value, Path()));
    EXPECT_EQ(Read("S", "K", Path()), QString(259, u'x'));
    EXPECT_EQ(GetPrivateProfileString("S", "K", {}, Path(), 10), QString(9, u'x'));
}

TEST_F(IniStore, IntegerParsingFollowsProfileRules) {
    WriteBytes(Path(), "[S]\nA=  -12abc\nB=+7\nC=abc\nD=0x10\nE=\nF=4294967297\n");
    EXPECT_EQ(GetPrivateProfileInt("S", "A", 99, Path()), -12);
    EXPECT_EQ(GetPrivateProfileInt("S", "B", 99, Path()), 7);
    EXPECT_EQ(GetPrivateProfileInt("S", "C", 99, Path()), 99);
    EXPECT_EQ(GetPrivateProfileInt("S", "D", 99, Path()), 0);
    EXPECT_EQ(GetPrivateProfileInt("S", "E", 99, Path()), 99);
    EXPECT_EQ(GetPrivateProfileInt("S", "F", 99, Path()), 1);  // wraps like a 32-bit accumulator
}

TEST_F(IniStore, WritesCreateUpdateAndDeleteInPlace) {
    WriteBytes(Path(), "; settings\r\n[A]\r\nk1=1\r\nk2=2\r\n\r\n[B]\r\nx=1\r\n");
    ASSERT_TRUE(WritePrivateProfileString("a", "K1", "one", Path()));  // replaced where it stands
    ASSERT_TRUE(WritePrivateProfileString("A", "k3", "3", Path()));    // added before the blank line
    ASSERT_TRUE(WritePrivateProfileString("C", "y", "2", Path()));     // new section at the end
    ASSERT_TRUE(WritePrivateProfileString("B", "x", QString(), Path()));  // null value deletes the key
    EXPECT_EQ(ReadBytes(Path()), "; settings\r\n[A]\r\nK1=one\r\nk2=2\r\nk3=3\r\n\r\n[B]\r\n[C]\r\ny=2\r\n");
    ASSERT_TRUE(WritePrivateProfileString("A", QString(), QString(), Path()));  // null key deletes the section
    EXPECT_EQ(ReadBytes(Path()), "; settings\r\n[B]\r\n[C]\r\ny=2\r\n");
}

TEST_F(IniStore, ValueWithLineBreaksCannotInjectASection) {
    ASSERT_TRUE(WritePrivateProfileString("S", "K", "a\r\n[Evil]\nX=1", Path()));
    EXPECT_EQ(Read("S", "K", Path()), "a  [Evil] X=1");
    EXPECT_EQ(Read("Evil", "X", Path()), "<default>");
}

TEST_F(IniStore, NewFilesAreUtf8AndChineseSurvives) {
    ASSERT_TRUE(WritePrivateProfileString("任务", "名称", "直播一", Path()));
    EXPECT_EQ(ReadBytes(Path()), QString("[任务]\r\n名称=直播一\r\n").toUtf8());
    EXPECT_EQ(Read("任务", "名称", Path()), "直播一");
}

TEST_F(IniStore, GbkFileWithoutBomReadsAndStaysGbk) {
    WriteBytes(Path(), ToAnsi("[SERVER]\r\nNAME=服务器一\r\n"));
    EXPECT_EQ(Read("SERVER", "NAME", Path()), "服务器一");
    ASSERT_TRUE(WritePrivateProfileString("SERVER", "OTHER", "中文", Path()));
    EXPECT_EQ(ReadBytes(Path()), ToAnsi("[SERVER]\r\nNAME=服务器一\r\nOTHER=中文\r\n"));
}

TEST_F(IniStore, GbkFileMovesToUtf8RatherThanLoseText) {
    WriteBytes(Path(), ToAnsi("[S]\r\nA=中文\r\n"));
    ASSERT_TRUE(WritePrivateProfileString("S", "B", QString::fromUtf8("\xF0\x9F\x8E\xA5"), Path()));
    EXPECT_EQ(Read("S", "A", Path()), "中文");
    EXPECT_EQ(Read("S", "B", Path()), QString::fromUtf8("\xF0\x9F\x8E\xA5"));
}

TEST_F(IniStore, GbkBytesThatLookLikeUtf8AreNotWrittenAsGbk) {
    // "值" is D6 B5 in GBK, which is also a valid UTF-8 sequence: written as GBK into a
    // file without other Chinese text it would read back as a different character.
    WriteBytes(Path(), "[S]\r\nA=\xFF\r\n");
    ASSERT_TRUE(WritePrivateProfileString("S", "A", "值", Path()));
    EXPECT_EQ(Read("S", "A", Path()), "值");
}

TEST_F(IniStore, Utf16FileWithBomReadsAndStaysUtf16) {
    const QString text = QStringLiteral("[直播]\r\n标题=晚间新闻\r\n");
    WriteBytes(Path(), QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
    EXPECT_EQ(Read("直播", "标题", Path()), "晚间新闻");
    ASSERT_TRUE(WritePrivateProfileString("直播", "作者", "张三", Path()));
    const QByteArray bytes = ReadBytes(Path());
    ASSERT_TRUE(bytes.startsWith("\xFF\xFE"));
    const QString back(reinterpret_cast<const QChar*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    EXPECT_EQ(back, QStringLiteral("[直播]\r\n标题=晚间新闻\r\n作者=张三\r\n"));
}

TEST_F(IniStore, Utf8BomIsKept) {
    WriteBytes(Path(), "\xEF\xBB\xBF[S]\nA=\xE4\xB8\xAD\n");
    EXPECT_EQ(Read("S", "A", Path()), "中");
    ASSERT_TRUE(WritePrivateProfileString("S", "B", "1", Path()));
    EXPECT_TRUE(ReadBytes(Path()).startsWith("\xEF\xBB\xBF[S]\r\nA="));
}

TEST_F(IniStore, TwoThreadsWritingOneFileLoseNothing) {
    auto writer = [this](const QString& prefix) {
        for (int i = 0; i < 1000; ++i) WritePrivateProfileString("S", prefix + QString::number(i), QString::number(i), Path());
    };
    std::thread a(writer, QStringLiteral("a"));
    std::thread b(writer, QStringLiteral("b"));
    a.join();
    b.join();
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(GetPrivateProfileInt("S", "a" + QString::number(i), -1, Path()), i);
        ASSERT_EQ(GetPrivateProfileInt("S", "b" + QString::number(i), -1, Path()), i);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);  // no temporary files left behind
}

TEST_F(IniStore, ReadersNeverSeeAHalfWrittenFile) {
    // A reader outside the store's lock (another program) opens the file while it is
    // rewritten again and again: it must always find the whole file.
    const QByteArray filler(64 * 1024, 'f');
    ASSERT_TRUE(WritePrivateProfileString("S", "Filler", QString::fromLatin1(filler), Path()));
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!done) {
            QFile f(Path());
            if (!f.open(QIODevice::ReadOnly)) continue;
            const QByteArray bytes = f.readAll();
            if (!bytes.startsWith("[S]\r\n") || !bytes.endsWith("\r\n") || !bytes.contains(filler)) ++torn;
        }
    });
    for (int i = 0; i < 300; ++i) WritePrivateProfileString("S", "Counter", QString::number(i), Path());
    done = true;
    reader.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(GetPrivateProfileInt("S", "Counter", -1, Path()), 299);
}

TEST_F(IniStore, BinaryAndHugeLinesDoNotBreakReads) {
    QByteArray junk;
    for (int i = 0; i < 70000; ++i) junk.append(static_cast<char>((i * 37) & 0xFF));
    WriteBytes(Path(), junk + "\n[S]\nK=v\n" + QByteArray(100 * 1024, 'z') + "\nL=" + QByteArray(100 * 1024, 'y') + "\n");
    EXPECT_EQ(Read("S", "K", Path()), "v");
    EXPECT_EQ(Read("S", "L", Path()), QString(259, u'y'));
    EXPECT_EQ(Read("T", "K", Path()), "<default>");
    ASSERT_TRUE(WritePrivateProfileString("S", "M", "1", Path()));
    EXPECT_EQ(Read("S", "M", Path()), "1");
}

}  // namespace
