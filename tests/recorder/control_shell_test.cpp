// The control shell: dispatch methods, start-up, tabs, the settings page, start/stop and
// exit, driven through the real windows.

#include "platform/code_page.h"
#include "platform/ini_store.h"
#include "recorder/recorder_globals.h"
#include "recorder/recorder_set_dlg.h"
#include "recorder/recorder_show_dlg.h"
#include "recorder/show_list_store.h"
#include "recorder/upload_queue.h"
#include "recorder_window.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace recorder_test;

namespace {

constexpr QByteArrayView kClosedPort = "http://127.0.0.1:1";

QString Setting(const QString& folder, const char* section, const char* key) {
    return platform::GetPrivateProfileString(QString::fromLatin1(section), QString::fromLatin1(key), "<none>",
                                             folder + "Recorderconfig.ini");
}

class ControlShell : public RecorderWindowTest {};

TEST_F(ControlShell, DispatchMethodsStoreTheUserIdTheFtpAccountAndTheHostWindow) {
    BoxAnswers boxes;
    Config(kClosedPort.toByteArray());
    Open();
    const QList<platform::DispatchMethod> methods = ctrl->Methods();
    ASSERT_EQ(methods.size(), 3);
    EXPECT_EQ(methods[0].name, "SetUserId");
    EXPECT_EQ(methods[1].name, "SetFtpInfo");
    EXPECT_EQ(methods[2].params, QList<platform::VarType>{platform::VarType::Handle});

    QVariant result;
    for (qint64 id : {0LL, -5LL}) {
        Recorder().userId = 77;
        ASSERT_EQ(ctrl->Invoke(1, {id}, &result), platform::kS_OK);
        EXPECT_EQ(result.toInt(), 0);
        EXPECT_EQ(Recorder().userId.load(), 0) << id;
    }
    ASSERT_EQ(ctrl->Invoke(1, {1001}, &result), platform::kS_OK);
    EXPECT_EQ(Recorder().userId.load(), 1001);
    EXPECT_EQ(ctrl->Invoke(1, {}, &result), platform::kDISP_E_BADPARAMCOUNT);
    EXPECT_EQ(ctrl->Invoke(1, {QStringLiteral("many")}, &result), platform::kDISP_E_TYPEMISMATCH);
    EXPECT_EQ(ctrl->Invoke(4, {}, &result), platform::kDISP_E_MEMBERNOTFOUND);

    const QVariantList ftp{platform::ToAnsi("ftp.演示.cn"), platform::ToAnsi("演示"), QByteArray("secret"), 2121,
                           QByteArray()};
    ASSERT_EQ(ctrl->Invoke(2, ftp, &result), platform::kS_OK);
    EXPECT_EQ(dialog->Ftp().host, "ftp.演示.cn");
    EXPECT_EQ(dialog->Ftp().user, "演示") << "narrow strings are read in the ANSI code page";
    EXPECT_EQ(dialog->Ftp().pass, "secret");
    EXPECT_EQ(dialog->Ftp().port, 2121);
    EXPECT_TRUE(dialog->Ftp().path.isEmpty());

    HostWindow page;
    ASSERT_EQ(ctrl->Invoke(3, {QVariant::fromValue<QObject*>(&page)}, nullptr), platform::kS_OK);
    EXPECT_EQ(dialog->HostWindow(), &page);
}

TEST_F(ControlShell, StartUpOpensOnTheSettingsTabUntilAVideoDeviceIsChosen) {
    BoxAnswers boxes;
    Config(kClosedPort.toByteArray());
    Open();
    EXPECT_EQ(ControlAs<QTabWidget>(1000)->currentIndex(), 0);
    EXPECT_EQ(ControlAs<QTabWidget>(1000)->tabText(0), "录制设置");
    EXPECT_EQ(ControlAs<QTabWidget>(1000)->tabText(1), "录制内容");
    EXPECT_FALSE(Control(1003)->isEnabled()) << "直播 stays disabled";
    EXPECT_EQ(ControlAs<QPushButton>(1002)->text(), "准备录制");
    EXPECT_FALSE(ControlAs<QLabel>(1085)->pixmap().isNull()) << "the idle picture from the program folder";
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join('|').toStdString();
    const QString trace = TraceText();
    EXPECT_TRUE(trace.contains("CVekRecordCtrl OnCreate"));
    EXPECT_TRUE(PumpUntil([&] {
        return platform::GetPrivateProfileInt("FTP", "WAITTIME", 0, folder + "ftpconfigure.ini") == 180000;
    }, 5000)) << "the upload worker runs";
    ASSERT_TRUE(Recorder().stopEvent);
    ASSERT_TRUE(Recorder().updateEvent);
    EXPECT_FALSE(Recorder().updateEvent->IsSet());
    EXPECT_EQ(Recorder().serviceEndpoint, "http://127.0.0.1:1/vekservices/ClientService");
    // The page wrote back what it chose.
    EXPECT_EQ(Setting(folder, "SETTINGPAGE", "DEVICE_V"), "Test Camera");
    EXPECT_EQ(Setting(folder, "SETTINGPAGE", "FORMAT_PC"), "WMV");
    EXPECT_EQ(Setting(folder, "SETTINGPAGE", "LOGO"), "1");
    EXPECT_EQ(Setting(folder, "SETTINGPAGE", "PCPATH"), folder + "TVRecord");
    Close();

    Open();
    EXPECT_EQ(ControlAs<QTabWidget>(1000)->currentIndex(), 1) << "DEVICE_V is set now";
}

TEST_F(ControlShell, WithoutAServerAddressStartUpSaysSoAndStopsThere) {
    BoxAnswers boxes(IDOK);
    WriteFile(folder + "Recorderconfig.ini", "[SETTINGPAGE]\r\nDEVICE_V=Test Camera\r\n");
    Recorder().serviceEndpoint.clear();
    Open();
    EXPECT_EQ(boxes.texts, QStringList{"服务器配置不能为空！"});
    EXPECT_TRUE(Recorder().serviceEndpoint.isEmpty());
    EXPECT_FALSE(TraceText().contains("未启动"));
    EXPECT_TRUE(dialog->isVisible()) << "the dialog stays up";
}

TEST_F(ControlShell, OnlyAudioOffersTheThreeAudioQualitiesWithTheMiddleOneChosen) {
    BoxAnswers boxes;
    Config(kClosedPort.toByteArray());
    Open();
    auto* video = ControlAs<QComboBox>(1004);
    auto* quality = ControlAs<QComboBox>(1008);
    ASSERT_EQ(video->itemText(video->count() - 1), "Only Audio") << "Only Audio comes last";
    EXPECT_EQ(quality->count(), 4);
    EXPECT_EQ(quality->itemText(3), "视频高质量（512K）");
    quality->setFocus();
    QTest::keyClick(quality, Qt::Key_End);
    EXPECT_EQ(Setting(folder, "SETTINGPAGE", "SAVEQUALITYSEL"), "3");
    EXPECT_EQ(Setting(folder, "SETTINGPAGE", "SAVEQUALITY"), "视频高质量（512K）");

    video->setFocus();
    QTest::keyClick(video, Qt::Key_End);
    ASSERT_EQ(video->currentText(), "Only Audio");
    EXPECT_EQ(quality->count(), 3);
    EXPECT_EQ(quality->itemText(0), "音频低质量（32K）");
    EXPECT_EQ(quality->currentIndex(), 1);
    EXPECT_FALSE(Control(1005)->isEnabled());
    EXPECT_EQ(Setting(folder, "SETTINGPAGE", "DEVICE_V"), "Only Audio");
    QTest::keyClick(quality, Qt::Key_End);
    Close();

    // Opened again: "Only Audio" first and chosen, the audio list with the stored index.
    platform::WritePrivateProfileString("SETTINGPAGE", "SAVEQUALITYSEL", "2", folder + "Recorderconfig.ini");
    Open();
    video = ControlAs<QComboBox>(1004);
    quality = ControlAs<QComboBox>(1008);
    EXPECT_EQ(video->itemText(0), "Only Audio");
    EXPECT_EQ(video->currentIndex(), 0);
    EXPECT_EQ(quality->count(), 3);
    EXPECT_EQ(quality->currentIndex(), 2);
    EXPECT_FALSE(Control(1005)->isEnabled());
    EXPECT_EQ(Setting(folder, "SETTINGPAGE", "SAVEQUALITY"), "音频高质量（128K）");

    // Back to a camera: four video entries, the previous index kept.
    video->setFocus();
    QTest::keyClick(video, Qt::Key_Down);
    EXPECT_EQ(quality->count(), 4);
    EXPECT_EQ(quality->currentIndex(), 2);
    EXPECT_TRUE(Control(1005)->isEnabled());
}

TEST_F(ControlShell, AMissingRecordingFolderFallsBackToSave) {
    BoxAnswers boxes;
    Config(kClosedPort.toByteArray(), "[SETTINGPAGE]\r\nPCPATH=/nonexistent/castora/recordings\r\n");
    Open();
    EXPECT_EQ(ControlAs<QLineEdit>(1019)->text(), folder + "save");
    EXPECT_TRUE(QFileInfo(folder + "save").isDir());
    EXPECT_EQ(Setting(folder, "SETTINGPAGE", "PCPATH"), folder + "save");
    EXPECT_GT(ControlAs<QLineEdit>(1040)->text().toLongLong(), 0);
    EXPECT_FALSE(Control(1040)->isEnabled());
    EXPECT_FALSE(Control(1018)->isEnabled());
    for (int id : {1015, 1016, 1022, 1023, 1024, 1025, 1026, 1082}) EXPECT_FALSE(Control(id)->isEnabled()) << id;
}

TEST_F(ControlShell, StoppingBeforeTheEncoderEverStartedWaitsForTheWorkerAndEndsStopped) {
    BoxAnswers boxes;
    Config(kClosedPort.toByteArray());
    Open();
    Click(1002);
    EXPECT_EQ(ControlAs<QPushButton>(1002)->text(), "停止录制");
    EXPECT_FALSE(Control(2)->isEnabled());
    EXPECT_EQ(dialog->RecorderState(), CVEKRecorderDlg::kArmed);
    EXPECT_EQ(Recorder().recordingArmed.load(), 1);
    EXPECT_EQ(Setting(folder, "SHOWLIST", "RECORDERSTATE"), "准备录制");
    PumpFor(300);

    boxes.Queue(IDNO);
    Click(1002);
    EXPECT_EQ(boxes.texts.back(), "正在录制中!确定要停止吗?");
    EXPECT_EQ(boxes.requests.back().caption, "VEKRecorder");
    EXPECT_EQ(boxes.requests.back().buttons, MsgButtons::YesNo);
    EXPECT_EQ(ControlAs<QPushButton>(1002)->text(), "停止录制") << "No keeps recording";

    Click(1002);
    EXPECT_EQ(dialog->RecorderState(), CVEKRecorderDlg::kStopped);
    EXPECT_EQ(ControlAs<QPushButton>(1002)->text(), "准备录制");
    EXPECT_TRUE(Control(2)->isEnabled());
    EXPECT_EQ(Recorder().recordingArmed.load(), 0);
    EXPECT_TRUE(TraceText().contains("StartRecordThread"));
}

TEST_F(ControlShell, ExitAsksThenTellsTheHostWithMessage1324) {
    BoxAnswers boxes;
    Config(kClosedPort.toByteArray());
    Open();
    HostWindow page;
    ctrl->SetRecvMsgHWnd(&page);
    boxes.Queue(IDNO);
    Click(2);
    EXPECT_EQ(boxes.texts, QStringList{"确定要退出吗?"});
    EXPECT_TRUE(page.messages.empty());
    EXPECT_EQ(Recorder().exitRequested.load(), 0);

    Click(2);
    ASSERT_EQ(page.messages.size(), 1U);
    EXPECT_EQ(page.messages[0].msg, 1324U);
    EXPECT_EQ(page.messages[0].wParam, 1U);
    EXPECT_EQ(page.messages[0].lParam, 0);
    EXPECT_EQ(Recorder().exitRequested.load(), 1);
    EXPECT_TRUE(Recorder().stopEvent->IsSet());
}

TEST_F(ControlShell, EncoderAndTransferMessagesReachTheDialog) {
    BoxAnswers boxes;
    Config(kClosedPort.toByteArray());
    Open();
    QObject* window = dialog->WindowHandle();
    Control(2)->setEnabled(false);
    platform::PostMessage(window, 2024, 0, 0);
    PumpFor(20);
    EXPECT_TRUE(Control(2)->isEnabled()) << "code 0 (stopped) enables the exit button";
    EXPECT_TRUE(TraceText().contains("WM_WAVETAP_STOP"));
    Control(1002)->setEnabled(false);
    platform::PostMessage(window, 2024, 6, 0);
    PumpFor(20);
    EXPECT_EQ(dialog->RecorderState(), CVEKRecorderDlg::kEncoderRunning);
    EXPECT_TRUE(Control(1002)->isEnabled());
    Control(2)->setEnabled(false);
    platform::PostMessage(window, 2024, 7, 0);
    platform::PostMessage(window, 2124, 0, 40);
    PumpFor(20);
    EXPECT_TRUE(Control(2)->isEnabled());
    EXPECT_TRUE(TraceText().contains("WM_WAVETAP_PREPARE_FAIL"));
    EXPECT_EQ(dialog->UploadDone(), 0);
    platform::PostMessage(window, 2124, 0, 100);
    PumpFor(20);
    EXPECT_EQ(dialog->UploadDone(), 100);
}

TEST_F(ControlShell, ADeviceWithoutPropertyPagesSaysItCannotBeConfigured) {
    BoxAnswers boxes(IDOK);
    Config(kClosedPort.toByteArray());
    Open();
    ControlAs<QTabWidget>(1000)->setCurrentIndex(0);
    Click(1005);
    ASSERT_EQ(boxes.texts, QStringList{"该设备无法被配置!"});
    EXPECT_EQ(boxes.requests[0].caption, "提示");
}

TEST_F(ControlShell, ClosingTheControlDuringARecordingEndsTheWorkerFirst) {
    BoxAnswers boxes;
    Config(kClosedPort.toByteArray(), "[SETTINGPAGE]\r\nDEVICE_V=Test Camera\r\nSAVEQUALITY=视频中质量（256K）\r\n");
    const QTime now = QTime::currentTime();
    if (now < QTime(0, 1) || now > QTime(23, 58)) GTEST_SKIP() << "too close to midnight";
    WriteFile(folder + "CurrentShowList.ini",
              "[SHOWLIST]\r\nCURCOUNT=1\r\n[SHOWLIST_1]\r\nSHOWNAME=x\r\nSHOWCYCLE=无\r\nSHOWSTARTTIME=" +
                  now.addSecs(-5).toString("HH:mm:ss").toLatin1() + "\r\nSHOWENDTIME=" +
                  now.addSecs(60).toString("HH:mm:ss").toLatin1() + "\r\n");
    Open();
    Click(1002);
    ShowListStore& list = dialog->ShowPage()->Store();
    ASSERT_TRUE(PumpUntil([&] { return list.Cell(0, kColStatus) == kStatusRecording; }, 20000));
    EXPECT_FALSE(Control(1036)->isEnabled()) << "the clear button is held off while a show records";
    // Long enough for a file the queue takes: at the profile's rate the smallest queued file
    // is a few seconds of recording.
    const QDir records(folder + "TVRecord");
    const auto recordedBytes = [&] {
        const QFileInfoList files = records.entryInfoList({"*.wmv"}, QDir::Files);
        return files.isEmpty() ? 0 : files[0].size();
    };
    ASSERT_TRUE(PumpUntil([&] { return recordedBytes() >= kSmallestQueuedFile; }, 20000)) << recordedBytes();
    Close();
    // The show was ended as a stop ends it: the file is complete and queued.
    const QStringList files = QDir(folder + "TVRecord").entryList({"*.wmv"}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(ProbeFile(folder + "TVRecord/" + files[0]).codecs, (QStringList{"wmv2", "wmav2"}));
    EXPECT_EQ(platform::GetPrivateProfileString("FTP_0", "FTPSTATE", "", folder + "ftpconfigure.ini"), "0");
}

}  // namespace
