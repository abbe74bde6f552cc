// The host of the control killed while a large recording is sent to the FTP storage and
// started again: the queue goes on from "ftpconfigure.ini", the file is resumed, stored
// byte for byte and reported once, and the items behind it are not lost.

#include "platform/paths.h"
#include "recorder/recorder_globals.h"
#include "recorder_platform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

using namespace recorder_test;

namespace {

constexpr qint64 kLargeFile = 6'000'000;
constexpr const char* kHostTest = "UploadHost.DISABLED_HostsTheControlUntilKilled";

// The host process: the control in this program's folder, left as the test before it
// wrote the queue, until it is killed.
class UploadHost : public RecorderWindowTest {
protected:
    void SetUp() override {
        folder = platform::GetProgramFolder();
        Recorder().userId = 1001;
        Recorder().exitRequested = 0;
    }
};

TEST_F(UploadHost, DISABLED_HostsTheControlUntilKilled) {
    BoxAnswers boxes(IDOK);
    Open();
    PumpFor(180000);
}

class UploadRestart : public RecorderPlatformTest {
protected:
    // Runs this program's host test in another process, on the same folder.
    static void StartHost(QProcess& host) {
        host.setProgram(QCoreApplication::applicationFilePath());
        host.setArguments({QStringLiteral("--gtest_filter=") + kHostTest, QStringLiteral("--gtest_also_run_disabled_tests")});
        host.setProcessChannelMode(QProcess::ForwardedChannels);
        host.start();
        ASSERT_TRUE(host.waitForStarted(10000));
    }
    qint64 StoredSize(const QString& name) const { return QFileInfo(StoredPath(name)).size(); }
};

TEST_F(UploadRestart, AHostKilledMidUploadResumesTheQueueAndLosesNothing) {
    StartPlatform(true);
    // The storage takes 512 KiB a second, so that the kill lands in the transfer.
    platform->Stop();
    platform->SetExtraArgs({"--ftp-read-limit", "524288"});
    ASSERT_TRUE(platform->Start());
    WriteStation(501);
    const QString largeName = QStringLiteral("20261208190000123.wmv"), smallName = QStringLiteral("20261208200000456.wmv");
    const QString large = Recording(largeName, kLargeFile);
    const QString small = Recording(smallName, 150000);
    ASSERT_TRUE(Queue(large, "11-101", "2001"));
    ASSERT_TRUE(Queue(small, "12-101", "2002"));

    QProcess first;
    StartHost(first);
    ASSERT_TRUE(PumpUntil([&] { return StoredSize(largeName) >= 600000; }, 30000)) << TraceText().toStdString();
    first.kill();
    ASSERT_TRUE(first.waitForFinished(10000));
    // What was on its way when the host died still reaches the storage; the host comes
    // back once the stored part has stopped growing.
    qint64 partial = -1;
    QElapsedTimer still;
    still.start();
    ASSERT_TRUE(PumpUntil([&] {
        if (StoredSize(largeName) != partial) {
            partial = StoredSize(largeName);
            still.restart();
        }
        return still.elapsed() >= 2000;
    }, 60000));
    ASSERT_LT(partial, kLargeFile) << "the host was killed after the transfer";
    EXPECT_EQ(QueueState(0), 0);
    EXPECT_EQ(QueueState(1), 0);
    EXPECT_EQ(Reports(largeName), 0u);

    // The storage may still be taking the sent rest when the client's wait for its final
    // reply ends; a short pause brings the retry (and its SIZE) soon.
    SetWaitTime(0);
    QProcess second;
    StartHost(second);
    ASSERT_TRUE(PumpUntil([&] { return WaitTime() == 180000; }, 20000));
    SetWaitTime(300);
    ASSERT_TRUE(PumpUntil([&] { return QueueState(0) == 2 && QueueState(1) == 2; }, 90000)) << TraceText().toStdString();
    second.kill();
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_TRUE(SameBytes(large, StoredPath(largeName)));
    EXPECT_TRUE(SameBytes(small, StoredPath(smallName)));
    EXPECT_TRUE(TraceText().contains("APPE")) << "the stored part is kept and the rest appended";
    EXPECT_EQ(Reports(largeName), 1u);
    EXPECT_EQ(Reports(smallName), 1u);
}

}  // namespace
