// Uploads to a real FTP server (pyftpdlib on loopback).

#include "ftp/blocking_socket.h"
#include "ftp/ftp_client.h"
#include "ftp_test_support.h"
#include "pyftpd_server.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using ftptest::ProgressRecorder;
using ftptest::PyFtpdServer;
using ftptest::TraceLog;
using nsFTP::CFTPClient;

namespace {

class Upload : public ::testing::Test {
protected:
    void SetUp() override { ftptest::EnsureQtApp(); }

    std::unique_ptr<CFTPClient> SignedInClient(const PyFtpdServer& server, QObject* owner = nullptr,
                                               const std::atomic<int>* abortFlag = nullptr) {
        auto client = std::make_unique<CFTPClient>(std::make_unique<nsSocket::CBlockingSocket>(), 10, 2048, 0,
                                                   trace.Sink());
        EXPECT_TRUE(client->Login(server.Logon(), owner, abortFlag)) << trace.Joined().toStdString();
        return client;
    }

    QString LocalFile(const QString& name, qint64 size, unsigned seed = 7) {
        const QString path = local.filePath(name);
        ftptest::WriteTestFile(path, size, seed);
        return path;
    }

    static int CountCommands(const PyFtpdServer& server, const QString& prefix) {
        int count = 0;
        for (const QString& line : server.Commands()) count += line.startsWith(prefix) ? 1 : 0;
        return count;
    }

    QTemporaryDir local;
    TraceLog trace;
};

void ExpectRisingToHundred(const std::vector<int>& percentages) {
    ASSERT_FALSE(percentages.empty());
    // Each percentage arrives once, in rising order.
    for (size_t i = 1; i < percentages.size(); ++i) ASSERT_LT(percentages[i - 1], percentages[i]) << "at " << i;
    EXPECT_GE(percentages.front(), 1);
    EXPECT_EQ(percentages.back(), 100);
}

}  // namespace

class LargeUpload : public Upload, public ::testing::WithParamInterface<bool> {};

TEST_P(LargeUpload, ArrivesWholeWithRisingProgress) {
    const bool passive = GetParam();
    PyFtpdServer server;
    ASSERT_TRUE(server.IsRunning());
    const QString file = LocalFile(QStringLiteral("big.wmv"), 50 * 1000 * 1000);
    ProgressRecorder progress;
    auto client = SignedInClient(server, &progress);
    ASSERT_EQ(client->MakeDirectory(QStringLiteral("20261207")), 0);
    ASSERT_EQ(client->ChangeWorkingDirectory(QStringLiteral("20261207")), 0);
    EXPECT_TRUE(client->UploadFile(file, QStringLiteral("big.wmv"), passive)) << trace.Joined().toStdString();
    platform::PumpMessages();

    EXPECT_TRUE(ftptest::SameContent(file, server.Root() + QStringLiteral("/20261207/big.wmv")));
    ExpectRisingToHundred(progress.Percentages());
    EXPECT_GT(progress.Percentages().size(), 50u);  // fine-grained, not just start and end
    EXPECT_TRUE(trace.Contains(QStringLiteral("send data ok")));
    EXPECT_EQ(CountCommands(server, passive ? QStringLiteral("PASV") : QStringLiteral("PORT 127,0,0,1,")), 1);
    EXPECT_EQ(CountCommands(server, QStringLiteral("STOR big.wmv")), 1);
}

INSTANTIATE_TEST_SUITE_P(Modes, LargeUpload, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Passive" : "Active"; });

TEST_F(Upload, ResumeAppendsTheMissingPart) {
    PyFtpdServer server;
    ASSERT_TRUE(server.IsRunning());
    const QString file = LocalFile(QStringLiteral("part.wmv"), 5000000);
    {
        QFile source(file);
        QFile partial(server.Root() + QStringLiteral("/part.wmv"));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly) && partial.open(QIODevice::WriteOnly));
        partial.write(source.read(3000000));
    }
    ProgressRecorder progress;
    auto client = SignedInClient(server, &progress);
    EXPECT_TRUE(client->UploadFile(file, QStringLiteral("part.wmv"), true));
    platform::PumpMessages();

    EXPECT_TRUE(ftptest::SameContent(file, server.Root() + QStringLiteral("/part.wmv")));
    EXPECT_EQ(CountCommands(server, QStringLiteral("APPE part.wmv")), 1);
    EXPECT_EQ(CountCommands(server, QStringLiteral("STOR")), 0);
    EXPECT_EQ(CountCommands(server, QStringLiteral("REST")), 0);
    ASSERT_FALSE(progress.Percentages().empty());
    EXPECT_EQ(progress.Percentages().front(), 59);
    ExpectRisingToHundred(progress.Percentages());

    // Uploading the complete file again sends nothing.
    EXPECT_TRUE(client->UploadFile(file, QStringLiteral("part.wmv"), true));
    EXPECT_TRUE(trace.Contains(QStringLiteral("文件已经存在")));
    EXPECT_EQ(CountCommands(server, QStringLiteral("APPE")), 1);
}

TEST_F(Upload, AbortFlagStopsTheTransferWithAbor) {
    PyFtpdServer server(PyFtpdServer::Options{.dropAfter = 0, .readLimit = 4 * 1000 * 1000});
    ASSERT_TRUE(server.IsRunning());
    const QString file = LocalFile(QStringLiteral("stop.wmv"), 8 * 1000 * 1000);
    std::atomic<int> stopRequested{0};
    // The owner lives on its own thread and raises the flag as the page's Stop would.
    QThread ownerThread;
    ProgressRecorder progress(&stopRequested, 10);
    progress.moveToThread(&ownerThread);
    ownerThread.start();
    auto client = SignedInClient(server, &progress, &stopRequested);
    EXPECT_FALSE(client->UploadFile(file, QStringLiteral("stop.wmv"), true));
    ownerThread.quit();
    ownerThread.wait();

    EXPECT_EQ(stopRequested.load(), 1);
    EXPECT_TRUE(trace.Contains(QStringLiteral("TransferData senddata fail")));
    EXPECT_TRUE(trace.Lines().contains(QStringLiteral("ABOR")));
    EXPECT_EQ(CountCommands(server, QStringLiteral("ABOR")), 1);
    EXPECT_LT(QFile(server.Root() + QStringLiteral("/stop.wmv")).size(), 8 * 1000 * 1000);
    EXPECT_LT(progress.Percentages().back(), 100);
}

TEST_F(Upload, DroppedDataConnectionFailsAndResumeCompletesTheFile) {
    PyFtpdServer server(PyFtpdServer::Options{.dropAfter = 4 * 1000 * 1000, .readLimit = 0});
    ASSERT_TRUE(server.IsRunning());
    const QString file = LocalFile(QStringLiteral("drop.wmv"), 20 * 1000 * 1000);
    auto client = SignedInClient(server);
    EXPECT_FALSE(client->UploadFile(file, QStringLiteral("drop.wmv"), true));
    EXPECT_TRUE(trace.Contains(QStringLiteral("TransferData senddata fail"))) << trace.Joined().toStdString();
    EXPECT_TRUE(trace.Contains(QStringLiteral("ExecuteDatachannelCommand  fail")));
    const qint64 kept = QFile(server.Root() + QStringLiteral("/drop.wmv")).size();
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, 20 * 1000 * 1000);

    EXPECT_TRUE(client->IsLoggedOn());
    EXPECT_TRUE(client->UploadFile(file, QStringLiteral("drop.wmv"), true)) << trace.Joined().toStdString();
    EXPECT_TRUE(ftptest::SameContent(file, server.Root() + QStringLiteral("/drop.wmv")));
    EXPECT_EQ(CountCommands(server, QStringLiteral("APPE drop.wmv")), 1);
}

TEST_F(Upload, StoreUniqueAndDownloadBack) {
    PyFtpdServer server;
    ASSERT_TRUE(server.IsRunning());
    const QString file = LocalFile(QStringLiteral("round.wmv"), 300000, 11);
    auto client = SignedInClient(server);
    client->SetResumeMode(false);
    EXPECT_TRUE(client->UploadFile(file, QStringLiteral("round.wmv"), false));
    EXPECT_EQ(CountCommands(server, QStringLiteral("SIZE")), 0);
    EXPECT_TRUE(client->UploadFile(file, QStringLiteral("round"), true, true));
    EXPECT_EQ(CountCommands(server, QStringLiteral("STOU round")), 1);

    nsFTP::CFile sink;
    const QString back = local.filePath(QStringLiteral("back.wmv"));
    ASSERT_TRUE(sink.Open(back, "wb"));
    EXPECT_TRUE(client->ExecuteDatachannelCommand(nsFTP::RETR, QStringLiteral("round.wmv"),
                                                  nsFTP::CRepresentation(nsFTP::CRepresentation::Image), true, 0, sink));
    sink.Close();
    EXPECT_TRUE(ftptest::SameContent(file, back));
    EXPECT_FALSE(client->ExecuteDatachannelCommand(6, QString(), nsFTP::CRepresentation(), true, 0, sink));
    EXPECT_TRUE(trace.Contains(QStringLiteral("TransferData default  fail")));
}

TEST_F(Upload, DestructionSignsOut) {
    PyFtpdServer server;
    ASSERT_TRUE(server.IsRunning());
    {
        auto client = SignedInClient(server);
        EXPECT_TRUE(client->IsLoggedOn());
    }
    QThread::msleep(200);
    EXPECT_EQ(server.Commands().value(server.Commands().size() - 1), QStringLiteral("QUIT"));
}
