// recordingThread with the real encoder and the test devices: shows across midnight
// (driven by a clock that starts before midnight), stopping, sound only, devices and
// folders that are gone, and a list refresh during a recording.

#include "client/shell/ini_config.h"
#include "platform/ini_store.h"
#include "platform/paths.h"
#include "platform/sync.h"
#include "recorder/recorder_globals.h"
#include "recorder/recorder_messages.h"
#include "recorder/recording_thread.h"
#include "recorder/show_list_file.h"
#include "recorder/show_list_load.h"
#include "recorder/show_list_store.h"
#include "recorder_test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QWidget>

#include <gtest/gtest.h>

#include <mutex>

using namespace recorder_test;

namespace {

struct StatusChange {
    QString status;
    QDateTime at;  // on the worker's clock
};

class RecordingWorker : public ::testing::Test {
protected:
    void SetUp() override {
        folder = PrepareProgramFolder();
        Recorder().programFolder = folder;
        Recorder().exitRequested = 0;
        Recorder().refreshList = 0;
        Recorder().newFileQueued = 0;
        QDir(folder).mkpath("TVRecord");
        Settings("Test Camera", "视频中质量（256K）", folder + "TVRecord");
    }
    void TearDown() override {
        stop = 1;
        if (worker) Join();
        list.SetChangeListener(nullptr);
    }

    void Settings(const QString& video, const QString& quality, const QString& path) {
        CINIConfig config(folder + "Recorderconfig.ini");
        config.WriteString("SETTINGPAGE", "DEVICE_V", video);
        config.WriteString("SETTINGPAGE", "DEVICE_A", "Test Microphone");
        config.WriteString("SETTINGPAGE", "SAVEQUALITY", quality);
        config.WriteString("SETTINGPAGE", "PCPATH", path);
    }

    // Writes one show to the file and loads the list from it, as the show page does.
    void AddShow(const QString& start, const QString& end, const QString& pgid = "11-101",
                 const QString& showId = "2001") {
        ShowEntry e;
        e.name = "测试节目";
        e.start = start;
        e.end = end;
        e.cycle = "无";
        e.format = "WMV";
        e.pgid = pgid;
        e.showId = showId;
        e.updateKey = kShowFromService;
        file.Append(e);
        list.Clear();
        LoadShowList(file, list, false);
    }

    void Start(const QDateTime& clockStart) {
        clock = std::make_unique<RunningClock>(clockStart);
        list.SetChangeListener([this] {
            std::lock_guard guard(list.Lock());
            const QString status = list.Cell(0, kColStatus);
            std::lock_guard history(historyLock);
            if (changes.empty() || changes.back().status != status) changes.push_back({status, clock->Now()});
        });
        RecordingWorkerSetup setup;
        setup.owner = &owner;
        setup.preview = &preview;
        setup.list = &list;
        setup.file = &file;
        setup.settingsPath = folder + "Recorderconfig.ini";
        setup.programFolder = folder;
        setup.queueFile = folder + "ftpconfigure.ini";
        setup.fileQueued = fileQueued;
        setup.stopRequested = &stop;
        setup.clock = [this] { return clock->Now(); };
        worker = std::make_unique<CRecordingThread>(std::move(setup));
        worker->start();
    }
    void Join() {
        stop = 1;
        ASSERT_TRUE(PumpUntil([&] { return worker->isFinished(); }, 30000)) << "the worker ends";
        worker.reset();
    }

    std::vector<StatusChange> Changes() {
        std::lock_guard history(historyLock);
        return changes;
    }
    QStringList Statuses() {
        QStringList out;
        for (const auto& c : Changes()) out << c.status;
        return out;
    }
    bool Reached(const QString& status) { return Statuses().contains(status); }
    QStringList Recordings(const QString& where) const {
        return QDir(where).entryList({"*.wmv", "*.wma"}, QDir::Files, QDir::Name);
    }
    QString Queued(const char* key) const {
        return platform::GetPrivateProfileString("FTP_0", QString::fromLatin1(key), "<none>", folder + "ftpconfigure.ini");
    }
    int Messages(unsigned msg, platform::WPARAM wParam) const {
        int n = 0;
        for (const auto& m : owner.messages) n += m.msg == msg && m.wParam == wParam;
        return n;
    }
    static QString Text(const QDateTime& t) { return t.toString("HH:mm:ss"); }

    QString folder;
    ShowListStore list{Recorder().listLock};
    ShowListFile file{platform::GetProgramFolder() + "CurrentShowList.ini", Recorder().fileLock};
    HostWindow owner;
    QWidget preview;
    std::atomic<int> stop{0};
    std::shared_ptr<platform::Event> fileQueued = std::make_shared<platform::Event>(true, false);
    std::unique_ptr<RunningClock> clock;
    std::unique_ptr<CRecordingThread> worker;
    std::mutex historyLock;
    std::vector<StatusChange> changes;
};

TEST_F(RecordingWorker, AShowAcrossMidnightRecordsPastMidnightAndEndsAtItsEnd) {
    const QDate today = QDate::currentDate();
    AddShow("23:59:00", "00:00:04");
    Start(QDateTime(today, QTime(23, 59, 57)));
    ASSERT_TRUE(PumpUntil([&] { return Reached(kStatusSucceeded); }, 30000)) << Statuses().join(' ').toStdString();
    Join();

    const std::vector<StatusChange> seen = Changes();
    QStringList order;
    for (const auto& c : seen) order << c.status;
    EXPECT_EQ(order.mid(0, 4), (QStringList{kStatusReady, kStatusRecording, kStatusStopped, kStatusSucceeded}));
    const auto recording = std::find_if(seen.begin(), seen.end(), [](const auto& c) { return c.status == kStatusRecording; });
    const auto ended = std::find_if(seen.begin(), seen.end(), [](const auto& c) { return c.status == kStatusStopped; });
    ASSERT_NE(recording, seen.end());
    ASSERT_NE(ended, seen.end());
    EXPECT_EQ(recording->at.date(), today) << "started before midnight";
    EXPECT_EQ(ended->at.date(), today.addDays(1)) << "kept recording past midnight";
    EXPECT_GE(Text(ended->at), "00:00:04");
    EXPECT_LT(Text(ended->at), "00:00:06");

    const QStringList files = Recordings(folder + "TVRecord");
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression("^\\d{14}\\d{5}\\.wmv$").match(files[0]).hasMatch()) << files[0].toStdString();
    const QString path = folder + "TVRecord/" + files[0];
    const Probe probe = ProbeFile(path);
    EXPECT_EQ(probe.codecs, (QStringList{"wmv2", "wmav2"}));
    EXPECT_NEAR(probe.duration, 7.0, 1.5);
    EXPECT_EQ(Queued("FILENAME"), path);
    EXPECT_EQ(Queued("FTPSTATE"), "0");
    EXPECT_EQ(Queued("begintime"), "23:59:00");
    EXPECT_EQ(Queued("endtime"), "00:00:04");
    EXPECT_EQ(Queued("recodertime"), today.toString("yyyy-MM-dd"));
    EXPECT_EQ(Queued("pgid"), "11");
    EXPECT_EQ(Queued("channelID"), "101");
    EXPECT_EQ(Queued("Showid"), "2001");
    EXPECT_TRUE(fileQueued->IsSet());
    EXPECT_EQ(Messages(WM_RECORDER_LOCK_CONTROLS, 1), 1);
    EXPECT_EQ(Messages(WM_RECORDER_LOCK_CONTROLS, 0), 1);
    EXPECT_EQ(Messages(WM_RECORDER_ENCODER, 6), 1) << "the encoder reports its start to the owner";
    const QString trace = TraceText();
    for (const char* line : {"StartRecordThread", "正在录制", "CWavetap::ReleaseAll"})
        EXPECT_TRUE(trace.contains(QString::fromUtf8(line))) << line;
}

TEST_F(RecordingWorker, StoppingDuringARecordingMarksTheRowStoppedAndStillQueuesTheFile) {
    const QDateTime now = QDateTime::currentDateTime();
    AddShow(Text(now.addSecs(-10)), Text(now.addSecs(120)), "", "");
    Start(now);
    ASSERT_TRUE(PumpUntil([&] { return Reached(kStatusRecording); }, 20000));
    PumpFor(5000);
    stop = 1;
    Join();
    EXPECT_EQ(list.Cell(0, kColStatus), kStatusStopped);
    EXPECT_FALSE(Reached(kStatusSucceeded));
    const QStringList files = Recordings(folder + "TVRecord");
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(Queued("FILENAME"), folder + "TVRecord/" + files[0]);
    EXPECT_EQ(Queued("pgid"), "0");
    EXPECT_EQ(Queued("channelID"), "0");
    EXPECT_NEAR(ProbeFile(folder + "TVRecord/" + files[0]).duration, 5.0, 1.5);
}

TEST_F(RecordingWorker, OnlyAudioRecordsATimeNamedWma) {
    Settings("Only Audio", "音频高质量（128K）", folder + "TVRecord");
    const QDateTime now = QDateTime::currentDateTime();
    AddShow(Text(now.addSecs(-5)), Text(now.addSecs(3)));
    Start(now);
    ASSERT_TRUE(PumpUntil([&] { return Reached(kStatusSucceeded); }, 20000)) << Statuses().join(' ').toStdString();
    Join();
    const QStringList files = Recordings(folder + "TVRecord");
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression("^\\d{14}\\.wma$").match(files[0]).hasMatch()) << files[0].toStdString();
    EXPECT_EQ(ProbeFile(folder + "TVRecord/" + files[0]).codecs, QStringList{"wmav2"});
}

TEST_F(RecordingWorker, AGoneDeviceFailsTheShowAndTheWorkerKeepsTrying) {
    Settings("Gone Camera", "视频中质量（256K）", folder + "TVRecord");
    const QDateTime now = QDateTime::currentDateTime();
    AddShow(Text(now.addSecs(-5)), Text(now.addSecs(60)));
    Start(now);
    // Each round finds the show due again and fails again while its window lasts.
    ASSERT_TRUE(PumpUntil([&] { return TraceText().count(QStringLiteral("录制失败")) >= 2; }, 30000))
        << TraceText().toStdString();
    EXPECT_EQ(list.Cell(0, kColStatus), kStatusFailed);
    EXPECT_TRUE(Messages(WM_RECORDER_ENCODER, 7) + Messages(WM_RECORDER_ENABLE_EXIT, 0) >= 2);
    EXPECT_TRUE(TraceText().contains("BOOL f = m_pWavetap->StartEncode()"));
    EXPECT_FALSE(worker->isFinished());
    stop = 1;
    Join();
    EXPECT_FALSE(QFileInfo::exists(folder + "ftpconfigure.ini")) << "nothing was recorded, nothing is queued";
}

TEST_F(RecordingWorker, AVanishedRecordingFolderFallsBackToSave) {
    Settings("Test Camera", "视频中质量（256K）", folder + "elsewhere/gone");
    const QDateTime now = QDateTime::currentDateTime();
    AddShow(Text(now.addSecs(-5)), Text(now.addSecs(3)));
    Start(now);
    ASSERT_TRUE(PumpUntil([&] { return Reached(kStatusSucceeded); }, 20000)) << Statuses().join(' ').toStdString();
    Join();
    EXPECT_EQ(Recordings(folder + "save").size(), 1);
    EXPECT_TRUE(TraceText().contains("录制目录不存在"));
}

TEST_F(RecordingWorker, ARefreshDuringARecordingMarksTheFirstDueRowRecordingAgain) {
    const QDateTime now = QDateTime::currentDateTime();
    AddShow(Text(now.addSecs(-5)), Text(now.addSecs(5)));
    Start(now);
    ASSERT_TRUE(PumpUntil([&] { return Reached(kStatusRecording); }, 20000));
    {
        std::lock_guard history(historyLock);
        changes.clear();
    }
    Recorder().refreshList = 1;
    ASSERT_TRUE(PumpUntil([&] { return Recorder().refreshList == 0; }, 5000));
    ASSERT_TRUE(PumpUntil([&] { return Reached(kStatusSucceeded); }, 20000)) << Statuses().join(' ').toStdString();
    const QStringList statuses = Statuses();
    const qsizetype ready = statuses.indexOf(kStatusReady);
    ASSERT_GE(ready, 0) << statuses.join(' ').toStdString();
    EXPECT_EQ(statuses.value(ready + 1), kStatusRecording)
        << "the reloaded row is found due and marked recording: " << statuses.join(' ').toStdString();
    EXPECT_TRUE(TraceText().contains("g_bFreshKey == TRUE"));
    Join();
    EXPECT_EQ(Recordings(folder + "TVRecord").size(), 1) << "one recording, not restarted";
}

}  // namespace
