// The local recording page with configured test devices: a recording of about ten
// seconds to "%Y%m%d%H%M%S.wmv" (WMV2 + WMA2 by ffprobe), RECORDTASK written and read back,
// audio only to .wma, the missing folder, automatic start and stop, a folder that cannot
// be written, a device that ends mid-recording, and the video device held while open.

#include "client/shell/client_globals.h"
#include "client/shell/command_ids.h"
#include "client/shell/message_box.h"
#include "client/tasks/child_view.h"
#include "client/tasks/derecord_dlg.h"
#include "client/tasks/derecord_worker.h"
#include "client/tasks/frame_menu_host.h"
#include "client/tasks/task_records.h"
#include "client/tasks/task_settings.h"
#include "client/widgets/find_control.h"
#include "client/widgets/tab_pages.h"
#include "platform/paths.h"
#include "tests/support/gui_test.h"
#include "file_dialog_script.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTimeEdit>

#include <gtest/gtest.h>

using test_support::WaitFor;

namespace {

class NoFrame : public CFrameMenuHost {
public:
    void SetMenu(int) override {}
    void RedrawFrame() override {}
};

struct Probe {
    QStringList codecs;
    double duration = 0;
};

Probe ProbeFile(const QString& path) {
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-show_entries", "stream=codec_name:format=duration", "-of",
                              "default=noprint_wrappers=1", path});
    ffprobe.waitForFinished(30000);
    Probe probe;
    for (const QString& line : QString::fromUtf8(ffprobe.readAllStandardOutput()).split('\n')) {
        if (line.startsWith("codec_name=")) probe.codecs << line.mid(11);
        if (line.startsWith("duration=")) probe.duration = line.mid(9).toDouble();
    }
    probe.codecs.sort();
    return probe;
}

int VideoFlag(const QString& name) {
    for (const DeviceEntry& entry : Globals().videoDevices)
        if (entry.name == name) return entry.flag;
    return -1;
}

class LocalRecordPage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test_support::App();
        // The configured test devices beside the program.
        QFile source(CASTORA_SOURCE_DIR "/tests/wavetap/test-devices.ini");
        QSaveFile devices(platform::GetProgramFolder() + "devices.ini");
        ASSERT_TRUE(source.open(QIODevice::ReadOnly) && devices.open(QIODevice::WriteOnly));
        devices.write(source.readAll());
        ASSERT_TRUE(devices.commit());
    }

    void SetUp() override {
        Globals().programFolder = program_.path() + "/";
        ASSERT_TRUE(QFile::link(CASTORA_SOURCE_DIR "/Profiles", program_.filePath("Profiles")));
        Globals().account.comName = QStringLiteral("演示公司");
        Globals().videoDevices = {{kScreenCaptureDevice, 2, 0}, {"Test Camera", 2, 0}, {"Short Camera", 2, 0}};
        Globals().audioDevices = {{"Test Microphone", 1, 0}};
        SetMessageBoxResponder([this](const MessageBoxRequest& request) -> int {
            messages << request.text;
            return IDOK;
        });
        view = std::make_unique<CChildView>(&frame);
        view->resize(1000, 640);
        view->show();
        OpenPage();
    }
    void TearDown() override {
        view.reset();
        SetMessageBoxResponder(nullptr);
    }

    void OpenPage() {
        view->OnCommand(ID_LOCAL_RECORD);
        page = dynamic_cast<CDerecordDlg*>(view->Tabs()->GetSSLPage(view->Tabs()->count() - 1));
        ASSERT_TRUE(page);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(page));
    }
    template <class T>
    T* Control(int id) const { return FindControlAs<T>(page, id); }
    void Click(int id) const { QTest::mouseClick(Control<QPushButton>(id), Qt::LeftButton); }
    QString Status() const { return FindControl(page, 1019)->property("text").toString(); }
    void Choose(int combo, const QString& text) const {
        auto* box = Control<QComboBox>(combo);
        const int index = box->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        box->setCurrentIndex(index);
    }
    QString Out() const { return out_.path(); }
    QStringList Recordings() const { return QDir(Out()).entryList(QDir::Files, QDir::Name); }
    bool Running() const { return page->PageState() == 2; }
    bool Idle() const { return page->PageState() == 4; }
    // Records for about `seconds` and stops with the button.
    void RecordFor(int seconds) {
        Click(1010);
        ASSERT_TRUE(WaitFor([&] { return Running() || Idle(); }, 20000)) << Status().toStdString();
        ASSERT_TRUE(Running()) << Status().toStdString();
        EXPECT_EQ(Control<QPushButton>(1010)->text(), "结束");
        EXPECT_FALSE(Control<QPushButton>(1076)->isEnabled());
        QTest::qWait(seconds * 1000);
        Click(1010);
        EXPECT_TRUE(Idle());
        EXPECT_EQ(Status(), "已停止");
    }

    QTemporaryDir program_, out_;
    NoFrame frame;
    std::unique_ptr<CChildView> view;
    CDerecordDlg* page = nullptr;
    QStringList messages;
};

TEST_F(LocalRecordPage, RecordsTheDevicesToAFileNamedByItsStartAndRemembersTheSettings) {
    EXPECT_EQ(Control<QComboBox>(1163)->currentText(), "Test Camera");
    EXPECT_EQ(VideoFlag("Test Camera"), 1) << "the open page holds its camera";
    EXPECT_EQ(Control<QComboBox>(1161)->currentText(), "视频中质量（256K）");
    {
        FileDialogScript script({Out()});
        Click(1172);
        EXPECT_EQ(script.titles, QStringList{"Select a directory:"});
    }
    EXPECT_EQ(Control<QLineEdit>(1022)->text(), Out());
    Choose(1161, "视频低质量（128K）");
    const QString before = QDateTime::currentDateTime().toString("yyyyMMddHHmmss");
    RecordFor(10);
    const QString after = QDateTime::currentDateTime().toString("yyyyMMddHHmmss");

    const QStringList files = Recordings();
    ASSERT_EQ(files.size(), 1);
    const QString name = files[0];
    EXPECT_TRUE(QRegularExpression("^\\d{14}\\.wmv$").match(name).hasMatch()) << name.toStdString();
    EXPECT_GE(name.left(14), before);
    EXPECT_LE(name.left(14), after);
    EXPECT_EQ(page->ArchivePath(), Out() + "/" + name);
    const Probe probe = ProbeFile(page->ArchivePath());
    EXPECT_EQ(probe.codecs, (QStringList{"wmav2", "wmv2"})) << probe.codecs.join(',').toStdString();
    EXPECT_NEAR(probe.duration, 10.0, 1.0);

    const RecordTaskSettings saved = ReadRecordTaskSettings(Globals().programFolder + "configure.ini");
    EXPECT_EQ(saved.videoDevice, "Test Camera");
    EXPECT_EQ(saved.audioDevice, "Test Microphone");
    EXPECT_EQ(saved.videoProfile, "视频低质量（128K）");
    EXPECT_EQ(saved.outputFile, Out());
    EXPECT_EQ(saved.streamType, 0);

    // Closing frees the camera; the page opened again shows what was saved.
    Click(1076);
    EXPECT_EQ(view->TaskSlotCount(), 0);
    EXPECT_EQ(VideoFlag("Test Camera"), 0);
    OpenPage();
    EXPECT_EQ(Control<QComboBox>(1163)->currentText(), "Test Camera");
    EXPECT_EQ(Control<QComboBox>(1161)->currentText(), "视频低质量（128K）");
    EXPECT_EQ(Control<QLineEdit>(1022)->text(), Out());
}

TEST_F(LocalRecordPage, AudioOnlyWritesAWmaAndTheTypeDecidesTheQualities) {
    Choose(1182, "音频");
    EXPECT_FALSE(Control<QComboBox>(1163)->isEnabled());
    EXPECT_EQ(Control<QComboBox>(1161)->count(), 3);
    EXPECT_EQ(Control<QComboBox>(1161)->currentText(), "音频中质量（64K）");
    Control<QLineEdit>(1022)->setText(Out());
    RecordFor(3);
    const QStringList files = Recordings();
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression("^\\d{14}\\.wma$").match(files[0]).hasMatch()) << files[0].toStdString();
    EXPECT_EQ(ProbeFile(Out() + "/" + files[0]).codecs, QStringList{"wmav2"});

    // Screen capture offers the screen qualities and no video settings.
    Choose(1182, "视音频");
    Choose(1163, kScreenCaptureDevice);
    EXPECT_EQ(Control<QComboBox>(1161)->itemText(0), "低质量屏幕捕获");
    EXPECT_FALSE(Control<QPushButton>(1036)->isEnabled());
    EXPECT_EQ(VideoFlag("Test Camera"), 0) << "the page now holds the screen instead";
}

TEST_F(LocalRecordPage, WithoutAFolderNothingIsRecorded) {
    Click(1010);
    EXPECT_EQ(messages, QStringList{"请设置保存路径！"});
    EXPECT_TRUE(Idle());
    EXPECT_EQ(Control<QPushButton>(1010)->text(), "开始");
    EXPECT_TRUE(Control<QPushButton>(1076)->isEnabled());
    EXPECT_FALSE(QFile::exists(Globals().programFolder + "configure.ini"));
}

TEST_F(LocalRecordPage, AutomaticStartAndStopFireOnTheFirstTickAtOrAfterTheirTimes) {
    Control<QLineEdit>(1022)->setText(Out());
    auto* record = dynamic_cast<CLiveCastTask*>(page->Record());
    ASSERT_TRUE(record);
    // Unticking keeps the time but disarms.
    const QDateTime soon = QDateTime::currentDateTime().addSecs(2);
    Control<QDateEdit>(1096)->setDate(soon.date());
    Control<QTimeEdit>(1048)->setTime(soon.time());
    QTest::mouseClick(Control<QCheckBox>(1030), Qt::LeftButton);
    EXPECT_TRUE(page->AutoBeginArmed());
    EXPECT_EQ(record->beginTime, soon.toString("yyyy-MM-dd HH:mm:ss"));
    QTest::mouseClick(Control<QCheckBox>(1030), Qt::LeftButton);
    EXPECT_FALSE(page->AutoBeginArmed());
    EXPECT_EQ(record->beginTime, soon.toString("yyyy-MM-dd HH:mm:ss"));
    QTest::qWait(3500);
    EXPECT_TRUE(Idle()) << "a disarmed start does not fire";

    const QDateTime begin = QDateTime::currentDateTime().addSecs(2);
    const QDateTime end = begin.addSecs(4);
    Control<QDateEdit>(1096)->setDate(begin.date());
    Control<QTimeEdit>(1048)->setTime(begin.time());
    Control<QDateEdit>(1097)->setDate(end.date());
    Control<QTimeEdit>(1044)->setTime(end.time());
    QTest::mouseClick(Control<QCheckBox>(1030), Qt::LeftButton);
    QTest::mouseClick(Control<QCheckBox>(1042), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !Idle(); }, 6000));
    const QDateTime started = QDateTime::currentDateTime();
    EXPECT_GE(started.toString("yyyy-MM-dd HH:mm:ss"), record->beginTime);
    EXPECT_LE(started.toSecsSinceEpoch(), begin.toSecsSinceEpoch() + 2);
    EXPECT_FALSE(page->AutoBeginArmed());
    ASSERT_TRUE(WaitFor([&] { return Running(); }, 20000));
    ASSERT_TRUE(WaitFor([&] { return Idle(); }, 10000));
    const QDateTime stopped = QDateTime::currentDateTime();
    EXPECT_GE(stopped.toString("yyyy-MM-dd HH:mm:ss"), record->endTime);
    EXPECT_LE(stopped.toSecsSinceEpoch(), end.toSecsSinceEpoch() + 2);
    EXPECT_FALSE(page->AutoStopArmed());
    EXPECT_EQ(Recordings().size(), 1);
}

TEST_F(LocalRecordPage, AnUnwritableFolderFailsToStartAndAVanishingDeviceStopsTheRun) {
    // A folder that is a file: the archive cannot be made.
    const QString notAFolder = Out() + "/plain-file";
    QFile file(notAFolder);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    Control<QLineEdit>(1022)->setText(notAFolder);
    Click(1010);
    ASSERT_TRUE(WaitFor([&] { return Status() == "启动失败"; }, 20000)) << Status().toStdString();
    EXPECT_TRUE(Idle());
    EXPECT_TRUE(Control<QPushButton>(1076)->isEnabled());
    EXPECT_EQ(Control<QPushButton>(1010)->text(), "开始");
    EXPECT_FALSE(QFile::exists(Globals().programFolder + "configure.ini")) << "nothing saved for a failed start";

    // A camera that ends after two seconds ends the recording by itself.
    Control<QLineEdit>(1022)->setText(Out());
    Choose(1163, "Short Camera");
    Click(1010);
    ASSERT_TRUE(WaitFor([&] { return Running(); }, 20000)) << Status().toStdString();
    ASSERT_TRUE(WaitFor([&] { return Idle(); }, 15000));
    EXPECT_EQ(Status(), "已停止");
    EXPECT_TRUE(Control<QPushButton>(1076)->isEnabled());
    const QStringList files = Recordings().filter(".wmv");
    ASSERT_EQ(files.size(), 1);
    EXPECT_NEAR(ProbeFile(Out() + "/" + files[0]).duration, 2.0, 1.0);
}

TEST(EncoderInputs, ScreenDevicesAndAudioOnlyPickTheirInputsAndProfiles) {
    LocalRecording recording;
    recording.videoDevice = kScreenCaptureDevice;
    recording.audioDevice = "Mic";
    recording.videoProfile = "中质量屏幕捕获";
    EncoderInputs inputs = InputsOf(recording);
    EXPECT_EQ(inputs.videoInput, "ScreenCap://ScreenCapture1");
    EXPECT_EQ(inputs.profileName, "ntsc_中质量屏幕捕获");
    EXPECT_EQ(inputs.audioInput, "DEVICE://Mic");
    recording.videoDevice = "Cam";
    recording.videoProfile = "视频中质量（256K）";
    EXPECT_EQ(InputsOf(recording).profileName, "pal_视频中质量（256K）");
    recording.streamType = 1;
    recording.videoProfile = "音频中质量（64K）";
    inputs = InputsOf(recording);
    EXPECT_TRUE(inputs.audioOnly);
    EXPECT_EQ(inputs.profileName, "音频中质量（64K）");
}

}  // namespace
