#include "client/shell/rotating_log.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString Utf16(const QByteArray& bytes) {
    return QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2);
}

class RotatingLog : public ::testing::Test {
protected:
    QString LogPath() { return dir.filePath("tenancy.log"); }
    QStringList Archives() { return QDir(dir.path()).entryList({"tenancy - *.log"}, QDir::Files); }
    QTemporaryDir dir;
};

TEST_F(RotatingLog, NewFileGetsTheMarkAndUtf16Lines) {
    CRotatingLog log;
    log.path = LogPath();
    ASSERT_TRUE(log.Open());
    ASSERT_TRUE(log.Printf(QStringLiteral("客户端启动")));
    log.Close();
    const QByteArray bytes = Contents(LogPath());
    ASSERT_TRUE(bytes.startsWith("\xFF\xFE"));
    const QString text = Utf16(bytes.mid(2));
    EXPECT_TRUE(text.endsWith(QStringLiteral(": 客户端启动\r\n"))) << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), 1);
}

TEST_F(RotatingLog, NotOpenWritesNothing) {
    CRotatingLog log;
    EXPECT_FALSE(log.Printf(QStringLiteral("x")));
    log.path = dir.filePath("missing/folder/tenancy.log");
    EXPECT_FALSE(log.Open());
    EXPECT_FALSE(log.Printf(QStringLiteral("x")));
}

TEST_F(RotatingLog, FileWithoutTheMarkIsArchivedUnderItsOpeningTime) {
    {
        QFile f(LogPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old ansi log\r\n");
    }
    CRotatingLog log;
    log.path = LogPath();
    ASSERT_TRUE(log.Open());
    const QStringList archives = Archives();
    ASSERT_EQ(archives.size(), 1);
    EXPECT_TRUE(QRegularExpression("^tenancy - \\d{4}\\.\\d\\d\\.\\d\\d \\d\\d\\.\\d\\d\\.\\d\\d\\.log$")
                    .match(archives[0]).hasMatch()) << archives[0].toStdString();
    EXPECT_EQ(Contents(dir.filePath(archives[0])), "old ansi log\r\n");
    log.Printf(QStringLiteral("fresh"));
    log.Close();
    EXPECT_TRUE(Contents(LogPath()).startsWith("\xFF\xFE"));
}

TEST_F(RotatingLog, ReachingMaxSizeArchivesAndStartsAgain) {
    CRotatingLog log;
    log.path = LogPath();
    log.maxSize = 200;
    ASSERT_TRUE(log.Open());
    for (int i = 0; i < 3; ++i) log.Printf(QStringLiteral("line %1").arg(i));  // ~40 chars each = ~80 bytes
    log.Close();
    ASSERT_EQ(Archives().size(), 1);
    const QString archived = Utf16(Contents(dir.filePath(Archives()[0])).mid(2));
    EXPECT_TRUE(archived.contains("line 0") && archived.contains("line 2"));
    EXPECT_EQ(Contents(LogPath()), QByteArray("\xFF\xFE"));
}

TEST_F(RotatingLog, SecondWriterIsRefused) {
    CRotatingLog first;
    first.path = LogPath();
    ASSERT_TRUE(first.Open());
    CRotatingLog second;
    second.path = LogPath();
    EXPECT_FALSE(second.Open());
}

}  // namespace
