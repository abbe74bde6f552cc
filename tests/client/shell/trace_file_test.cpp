#include "client/shell/client_globals.h"
#include "client/shell/trace_file.h"
#include "platform/code_page.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class TraceFile : public ::testing::Test {
protected:
    void SetUp() override {
        Globals().programFolder = dir.path() + u'/';
        QDir(dir.path()).mkdir("log");
    }
    QByteArray Contents(const QString& name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void Fill(const QString& name, qint64 bytes) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(bytes, 'x'));
    }
    QTemporaryDir dir;
};

TEST_F(TraceFile, LinesAreDatedGbkWithCrLf) {
    AppendFtpTrace(QStringLiteral("上传文件 a.wmv"));
    AppendDrmTrace(QStringLiteral("加密"));
    const QByteArray ftp = Contents("ftp.txt");
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d $")
                    .match(QString::fromLatin1(ftp.left(20))).hasMatch()) << ftp.constData();
    EXPECT_EQ(ftp.mid(20), platform::ToAnsi(QStringLiteral("上传文件 a.wmv")) + "\r\n");
    EXPECT_EQ(Contents("log/drm.txt").mid(20), platform::ToAnsi(QStringLiteral("加密")) + "\r\n");
}

TEST_F(TraceFile, TextIsCutAt1023Bytes) {
    AppendFtpTrace(QString(2000, u'a'));
    EXPECT_EQ(Contents("ftp.txt").size(), 20 + 1023 + 2);
}

TEST_F(TraceFile, FilePastTheLimitKeepsOnlyTheNewestLine) {
    const qint64 lineSize = 20 + 4 + 2;  // stamp, "last", CR LF
    Fill("ftp.txt", kTraceFileLimit - lineSize + 1);
    AppendFtpTrace(QStringLiteral("last"));
    const QByteArray after = Contents("ftp.txt");
    EXPECT_EQ(after.size(), lineSize);
    EXPECT_TRUE(after.endsWith("last\r\n"));
}

TEST_F(TraceFile, FileOfExactlyTheLimitIsKept) {
    const qint64 lineSize = 20 + 4 + 2;
    Fill("ftp.txt", kTraceFileLimit - lineSize);
    AppendFtpTrace(QStringLiteral("last"));
    EXPECT_EQ(Contents("ftp.txt").size(), kTraceFileLimit);
}

TEST_F(TraceFile, UnwritableFileDropsTheLineSilently) {
    QDir(dir.path()).rmdir("log");
    AppendDrmTrace(QStringLiteral("dropped"));  // folder missing
    EXPECT_FALSE(QFile::exists(dir.filePath("log/drm.txt")));
    QDir(dir.path()).mkdir("ftp.txt");          // a folder where the file should be
    AppendFtpTrace(QStringLiteral("dropped"));
    EXPECT_TRUE(QFileInfo(dir.filePath("ftp.txt")).isDir());
}

}  // namespace
