// uploadThread in the hosted control against castora-platform and its FTP storage:
// upload, insertVideo report and done state; storage or service down and back, answers
// lost after the report was recorded; files that have gone; broken queue files.

#include "platform/ini_store.h"
#include "recorder/recorder_globals.h"
#include "recorder_platform.h"
#include "service_gate.h"

#include <QFile>

using namespace recorder_test;

namespace {

class UploadWorker : public RecorderPlatformTest {
protected:
    bool WaitForState(int index, int state, int timeoutMs = 30000) {
        return PumpUntil([&] { return QueueState(index) == state; }, timeoutMs);
    }
    bool WorkerStarted() {
        return PumpUntil([&] { return WaitTime() == 180000; }, 10000);
    }
    // The state page's row of a recorded video, from its channel to its date.
    static std::string VideoRow(const QString& name, int bytes, int pgid, int showId) {
        const std::string base = name.left(name.size() - 4).toStdString();
        return "<td>101</td><td>501</td><td>" + std::to_string(pgid) + "</td><td>" + std::to_string(showId) +
               "</td><td>1</td><td>" + base + "</td><td>" + name.toStdString() + "</td><td>" +
               std::to_string(bytes) + "</td><td>19:00:00</td><td>19:45:00</td><td>2026-12-08</td>";
    }
};

TEST_F(UploadWorker, UploadsByteForByteReportsAndEndsDone) {
    BoxAnswers boxes(IDOK);
    StartPlatform(true);
    WriteStation(501);
    const QString reported = Recording("20261208190000123.wmv", 102401);
    const QString tooSmall = Recording("20261208200000456.wmv", 102400);
    const QString custom = Recording("20261208210000789.wmv", 300000);
    ASSERT_TRUE(Queue(reported, "11-101", "2001"));
    EXPECT_FALSE(Queue(tooSmall, "12-101", "2002")) << "102400 bytes are never queued";
    ASSERT_TRUE(Queue(custom, "", ""));
    EXPECT_EQ(QueueKey(1, "channelID"), "0");
    Open();

    ASSERT_TRUE(WaitForState(0, 2)) << TraceText().toStdString();
    ASSERT_TRUE(WaitForState(1, 2));
    EXPECT_TRUE(SameBytes(reported, StoredPath("20261208190000123.wmv")));
    EXPECT_TRUE(SameBytes(custom, StoredPath("20261208210000789.wmv")));
    EXPECT_FALSE(QFile::exists(StoredPath("20261208200000456.wmv")));

    const std::string page = StatePage();
    EXPECT_NE(page.find(VideoRow("20261208190000123.wmv", 102401, 11, 2001)), std::string::npos) << page;
    EXPECT_EQ(page.find("20261208210000789"), std::string::npos) << "a show without id is not reported";
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join("|").toStdString();
    // The worker's FTP trace went to the recorder's log.
    EXPECT_TRUE(TraceText().contains("STOR") || TraceText().contains("APPE")) << TraceText().toStdString();
    // Every item done and a file queued since: the counter starts again.
    EXPECT_TRUE(PumpUntil([&] {
        return platform::GetPrivateProfileInt("FTP", "FILECOUNT", -1, folder + "ftpconfigure.ini") == 0;
    }, 10000));
}

TEST_F(UploadWorker, StorageDownKeepsTheItemWaitingUntilItIsBack) {
    BoxAnswers boxes(IDOK);
    StartPlatform(false);
    WriteStation(501);
    const QString file = Recording("20261208070000111.wmv", 200000);
    ASSERT_TRUE(Queue(file, "11-101", "2001"));
    Open();
    ASSERT_TRUE(PumpUntil([&] { return boxes.texts.contains("登录FTP服务器失败"); }, 30000));
    ASSERT_TRUE(WorkerStarted());
    EXPECT_EQ(QueueState(0), 0);
    SetWaitTime(300);

    platform->Stop();
    platform->SetFtpEnabled(true);
    ASSERT_TRUE(platform->Start());
    ASSERT_TRUE(WaitForState(0, 2));
    EXPECT_TRUE(SameBytes(file, StoredPath("20261208070000111.wmv")));
    EXPECT_NE(StatePage().find(VideoRow("20261208070000111.wmv", 200000, 11, 2001)), std::string::npos);
}

// The service records insertVideo and drops the connection before answering, until it
// is started again without the fault: the worker reports again each round, and the
// platform lists the upload once.
TEST_F(UploadWorker, ServiceAnswerLostAfterTheUploadReportsLaterAndOnce) {
    BoxAnswers boxes(IDOK);
    StartPlatform(true);
    platform->Stop();
    platform->SetExtraArgs({"--drop", "--fault-operation", "insertVideo"});
    ASSERT_TRUE(platform->Start());
    ServiceGate gate(platform->port());
    Config(QByteArray("http://127.0.0.1:") + QByteArray::number(gate.port()));
    WriteStation(501);
    const QString file = Recording("20261208080000222.wmv", 150000);
    ASSERT_TRUE(Queue(file, "12-101", "2003"));
    Open();
    ASSERT_TRUE(WaitForState(0, 1));
    ASSERT_TRUE(WorkerStarted());
    EXPECT_TRUE(SameBytes(file, StoredPath("20261208080000222.wmv")));
    SetWaitTime(300);
    PumpFor(1500);
    EXPECT_EQ(QueueState(0), 1) << "a failed report stays uploaded, not done";
    EXPECT_GE(gate.Requests("insertVideo").size(), 2u);

    platform->Stop();
    platform->SetExtraArgs({});
    ASSERT_TRUE(platform->Start());
    ASSERT_TRUE(WaitForState(0, 2));
    const std::string page = StatePage();
    const std::string row = VideoRow("20261208080000222.wmv", 150000, 12, 2003);
    EXPECT_NE(page.find(row), std::string::npos) << page;
    EXPECT_EQ(Reports("20261208080000222.wmv"), 1u) << page;
}

TEST_F(UploadWorker, AFileThatHasGoneWaitsWhileLaterItemsGoOn) {
    BoxAnswers boxes(IDOK);
    StartPlatform(true);
    WriteStation(501);
    const QString gone = Recording("20261208090000333.wmv", 120000);
    const QString later = Recording("20261208100000444.wmv", 120000);
    ASSERT_TRUE(Queue(gone, "11-101", "2001"));
    ASSERT_TRUE(Queue(later, "12-101", "2002"));
    ASSERT_TRUE(QFile::remove(gone));
    Open();
    ASSERT_TRUE(WaitForState(1, 2));
    EXPECT_EQ(QueueState(0), 0) << "the missing file stays waiting";
    EXPECT_TRUE(SameBytes(later, StoredPath("20261208100000444.wmv")));
    // It is still counted, so it goes up when it comes back.
    ASSERT_TRUE(WorkerStarted());
    SetWaitTime(300);
    ASSERT_TRUE(QFile::copy(later, gone));
    ASSERT_TRUE(WaitForState(0, 2));
    EXPECT_TRUE(SameBytes(gone, StoredPath("20261208090000333.wmv")));
}

TEST_F(UploadWorker, BrokenQueueAndStationFilesNeitherCrashNorLoseItems) {
    BoxAnswers boxes(IDOK);
    StartPlatform(true);
    WriteFile(folder + "WEBShowList.ini", QByteArray("\x01\x02 garbage [[[\r\n[WEBSET]\r\nCHANNECOUNT =99999\r\n"
                                                    "ftpservercount=2000000000\r\n") +
                                              "[0_FTP_0]\r\nFTPID=1\r\nFTPIP=127.0.0.1\r\nFTPPORT=" +
                                              QByteArray::number(platform->ftpPort()) +
                                              "\r\nFTPPATH=//recorder//\r\nFTPUSERNAME=demo\r\nFTPPASS=demoftp\r\n");
    const QString file = Recording("20261208110000555.wmv", 110000);
    // FILECOUNT far beyond the sections, a section of garbage and a real item behind it.
    WriteFile(folder + "ftpconfigure.ini", "[FTP]\r\nFILECOUNT=2000000000\r\nWAITTIME=-5\r\n[FTP_0]\r\nFILENAME=\r\n"
                                           "FTPSTATE=x\r\n[FTP_1]\r\nFILENAME=" + file.toUtf8() +
                                           "\r\nFILELEN=110000\r\nbegintime=19:00:00\r\nendtime=19:45:00\r\n"
                                           "recodertime=2026-12-08\r\npgid=abc\r\nchannelID=\r\nShowid=\r\nFTPSTATE=0\r\n");
    Open();
    ASSERT_TRUE(WaitForState(1, 2)) << TraceText().toStdString();
    EXPECT_TRUE(SameBytes(file, StoredPath("20261208110000555.wmv")));
    // The worker keeps its rounds: a file queued now is uploaded as well.
    SetWaitTime(300);
    const QString next = Recording("20261208120000666.wmv", 130000);
    ASSERT_TRUE(Queue(next, "11-101", ""));
    const int index = platform::GetPrivateProfileInt("FTP", "FILECOUNT", 0, folder + "ftpconfigure.ini") - 1;
    ASSERT_TRUE(WaitForState(index, 2));
    EXPECT_TRUE(SameBytes(next, StoredPath("20261208120000666.wmv")));
}

}  // namespace
