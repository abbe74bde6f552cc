// The castora-ftp command-line tool against pyftpdlib.

#include "ftp_test_support.h"
#include "pyftpd_server.h"
#include "tests/support/tool_run.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using ftptest::PyFtpdServer;

namespace {

test_support::ToolRun RunTool(const QStringList& arguments) {
    return test_support::RunTool(QStringLiteral("castora-ftp"), arguments);
}

QStringList ServerArguments(const PyFtpdServer& server, const QString& password) {
    return {QStringLiteral("--host"), QStringLiteral("127.0.0.1"), QStringLiteral("--port"), QString::number(server.Port()),
            QStringLiteral("--user"), PyFtpdServer::User(), QStringLiteral("--password"), password};
}

}  // namespace

class CastoraFtpTool : public ::testing::Test {
protected:
    void SetUp() override {
        ftptest::EnsureQtApp();
        ASSERT_TRUE(server.IsRunning());
        file = dir.filePath(QStringLiteral("clip.wmv"));
        ftptest::WriteTestFile(file, 3 * 1000 * 1000);
    }

    PyFtpdServer server;
    QTemporaryDir dir;
    QString file;
};

TEST_F(CastoraFtpTool, UploadsIntoANewFolderPrintingProgress) {

    const test_support::ToolRun run = RunTool(ServerArguments(server, PyFtpdServer::Password()) +
                            QStringList{QStringLiteral("--passive"), QStringLiteral("--resume"), QStringLiteral("--mkdir"),
                                        QStringLiteral("20261207"), file, QStringLiteral("clip.wmv")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(ftptest::SameContent(file, server.Root() + QStringLiteral("/20261207/clip.wmv")));
    ASSERT_FALSE(run.Lines().isEmpty());
    for (qsizetype i = 1; i < run.Lines().size(); ++i) EXPECT_LT(run.Lines()[i - 1].toInt(), run.Lines()[i].toInt());
    EXPECT_EQ(run.Lines().back(), QStringLiteral("100"));

    // The tool's trace is the program's ftp.txt: the sign-in is there, the password is not.
    QFile trace(QStringLiteral(CASTORA_BIN_DIR "/ftp.txt"));
    ASSERT_TRUE(trace.open(QIODevice::ReadOnly));
    const QByteArray text = trace.readAll();
    EXPECT_TRUE(text.contains("PASS ****"));
    EXPECT_FALSE(text.contains(PyFtpdServer::Password().toLatin1()));
}

TEST_F(CastoraFtpTool, WrongPasswordAndWrongArguments) {
    EXPECT_EQ(RunTool(ServerArguments(server, QStringLiteral("wrong")) + QStringList{file, QStringLiteral("c.wmv")}).exitCode, 1);
    EXPECT_EQ(RunTool(ServerArguments(server, PyFtpdServer::Password()) + QStringList{file}).exitCode, 2);
    EXPECT_EQ(RunTool({QStringLiteral("--host"), QStringLiteral("127.0.0.1"), file, QStringLiteral("c.wmv")}).exitCode, 2);
    EXPECT_FALSE(QFile::exists(server.Root() + QStringLiteral("/c.wmv")));
}

TEST_F(CastoraFtpTool, PasswordFromAFileOrTheEnvironmentKeepsItOffTheCommandLine) {
    const QStringList signIn{QStringLiteral("--host"), QStringLiteral("127.0.0.1"), QStringLiteral("--port"),
                             QString::number(server.Port()), QStringLiteral("--user"), PyFtpdServer::User()};
    const QString passwordFile = dir.filePath(QStringLiteral("secret"));
    {
        QFile secret(passwordFile);
        ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
        secret.write(PyFtpdServer::Password().toUtf8() + "\n");
    }
    EXPECT_EQ(RunTool(signIn + QStringList{QStringLiteral("--password-file"), passwordFile, file, QStringLiteral("f.wmv")})
                  .exitCode, 0);
    EXPECT_TRUE(ftptest::SameContent(file, server.Root() + QStringLiteral("/f.wmv")));

    qputenv("CASTORA_FTP_PASSWORD", PyFtpdServer::Password().toUtf8());
    const int fromEnvironment = RunTool(signIn + QStringList{file, QStringLiteral("e.wmv")}).exitCode;
    qputenv("CASTORA_FTP_PASSWORD", "wrong");
    const int wrongInEnvironment = RunTool(signIn + QStringList{file, QStringLiteral("w.wmv")}).exitCode;
    qunsetenv("CASTORA_FTP_PASSWORD");
    EXPECT_EQ(fromEnvironment, 0);
    EXPECT_TRUE(ftptest::SameContent(file, server.Root() + QStringLiteral("/e.wmv")));
    EXPECT_EQ(wrongInEnvironment, 1);

    // No password from anywhere, or an unreadable file: wrong arguments.
    EXPECT_EQ(RunTool(signIn + QStringList{file, QStringLiteral("n.wmv")}).exitCode, 2);
    EXPECT_EQ(RunTool(signIn + QStringList{QStringLiteral("--password-file"), dir.filePath(QStringLiteral("none")), file,
                                           QStringLiteral("n.wmv")})
                  .exitCode, 2);
    EXPECT_FALSE(QFile::exists(server.Root() + QStringLiteral("/n.wmv")));
}
