// The registered CastoraRecordOcx library on the program's 定时录播 tab, driven only
// through the windows: a custom show from one minute ago to one minute ahead is added,
// recording is armed, sign-out leaves the tab recording, the row goes "准备录制" →
// "正在录制" → "已成功", the .wmv lies in the recording folder with the window's length,
// "ftpconfigure.ini" holds the item, and leaving the recorder closes the tab.

#include "client/service/password_digest.h"
#include "client/service/service_calls.h"
#include "client/shell/client_globals.h"
#include "client/shell/command_ids.h"
#include "client/tasks/castora_record_ctrl_wrapper.h"
#include "client/tasks/child_view.h"
#include "client/tasks/frame_menu_host.h"
#include "client/tasks/record_dlg.h"
#include "client/widgets/find_control.h"
#include "client/widgets/tab_pages.h"
#include "platform/component_host.h"
#include "platform/component_registry.h"
#include "platform/ini_store.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "recorder_test_support.h"
#include "tests/sim/platform_process.h"
#include "tests/support/tool_run.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace recorder_test;

namespace {

constexpr int kStatusColumn = 8;

// Answers every real message box with Yes (or OK) and notes its text.
class RealBoxAnswers {
public:
    RealBoxAnswers() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            texts << box->text();
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            QTest::mouseClick(yes ? yes : box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        timer_.start(20);
    }
    QStringList texts;

private:
    QTimer timer_;
};

class Frame : public CFrameMenuHost {
public:
    void SetMenu(int) override {}
    void RedrawFrame() override {}
};

void Press(QWidget* root, int id) {
    auto* button = qobject_cast<QAbstractButton*>(FindControl(root, id));
    ASSERT_NE(button, nullptr) << id;
    ASSERT_TRUE(button->isEnabled()) << id;
    const bool indicator = qobject_cast<QCheckBox*>(button) != nullptr;
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier,
                      indicator ? QPoint(6, button->height() / 2) : button->rect().center());
}

TEST(HostedRecorder, ACustomShowIsRecordedQueuedAndReportedThroughTheWindows) {
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    const auto reg = test_support::RunTool("castora-regsvr", {QStringLiteral(CASTORA_BIN_DIR "/libCastoraRecordOcx.so")});
    ASSERT_EQ(reg.exitCode, 0) << reg.err.toStdString();
    simtest::PlatformProcess platform;
    ASSERT_TRUE(platform.Start());
    const QString folder = PrepareProgramFolder();
    WriteFile(folder + "Recorderconfig.ini",
              "[SERVER]\r\nURL=http://127.0.0.1:" + QByteArray::number(platform.port()) + "\r\n");
    // A registered station: its schedule is its own, no template replaces it.
    WriteFile(folder + "WEBShowList.ini",
              "[WEBSET]\r\nCHANNECOUNT =1\r\n[WEBSET_0]\r\nENCID=501\r\nCHANNELID=101\r\nWEBCONTENT=1\r\n");

    Globals().serviceUrl = QStringLiteral("http://127.0.0.1:%1/vekservices/ClientService").arg(platform.port());
    Globals().serverIp = QStringLiteral("http://127.0.0.1:%1").arg(platform.port());
    Globals().passwordDigest = PasswordDigest("demo123");
    ASSERT_EQ(SvcLogin("demo", Globals().passwordDigest), 1);
    ASSERT_TRUE(SvcGetCompany());
    BoxAnswers programBoxes(IDOK);  // the program's own boxes (the sign-out question)
    RealBoxAnswers boxes;           // the control's boxes, which it shows itself

    Frame frame;
    auto view = std::make_unique<CChildView>(&frame);
    view->resize(1280, 800);
    view->show();
    ASSERT_TRUE(PumpUntil([&] { return view->SignedIn(); }, 10000));
    ASSERT_TRUE(view->OnCommand(ID_SCHEDULED_RECORD));
    ASSERT_EQ(view->Tabs()->GetSSLPageCount(), 1);
    auto* page = dynamic_cast<CRecordDlg*>(view->Tabs()->GetSSLPage(0));
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->CreateResult(), platform::kS_OK);
    EXPECT_TRUE(view->EncoderBusy());
    QWidget* window = page->RecorderControl()->ControlWindow();
    ASSERT_NE(window, nullptr);

    // The show: from one minute ago to one minute ahead, added in the add dialog.
    const QTime now = QTime::currentTime();
    if (now.secsTo(QTime(23, 58, 0)) < 0 || now < QTime(0, 2, 0)) GTEST_SKIP() << "too close to midnight";
    Press(window, 1034);
    QWidget* add = window->findChild<QWidget*>("CAddShowDlg");
    ASSERT_NE(add, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return qobject_cast<QComboBox*>(FindControl(add, 1067))->count() == 4; }, 15000));
    qobject_cast<QLineEdit*>(FindControl(add, 1046))->setText("一分钟节目");
    qobject_cast<QTimeEdit*>(FindControl(add, 1049))->setTime(now.addSecs(-60));
    qobject_cast<QTimeEdit*>(FindControl(add, 1050))->setTime(now.addSecs(60));
    Press(add, 1064);
    Press(add, 1);
    auto* list = qobject_cast<QTableView*>(FindControl(window, 1033));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->model()->rowCount(), 1);
    EXPECT_EQ(list->model()->index(0, 2).data().toString(), "一分钟节目");

    QStringList statuses;
    auto note = [&] {
        const QString status = list->model()->index(0, kStatusColumn).data().toString();
        if (statuses.isEmpty() || statuses.back() != status) statuses << status;
        return status;
    };
    Press(window, 1002);
    EXPECT_EQ(qobject_cast<QAbstractButton*>(FindControl(window, 1002))->text(), "停止录制");
    ASSERT_TRUE(PumpUntil([&] { return note() == "正在录制"; }, 20000)) << statuses.join(' ').toStdString();
    // Sign-out stops every task but this one.
    ASSERT_TRUE(view->OnCommand(ID_SIGN_OUT));
    EXPECT_FALSE(view->SignedIn());
    ASSERT_EQ(view->Tabs()->GetSSLPageCount(), 1);
    const bool succeeded = PumpUntil([&] { return note() == "已成功"; }, 100000);
    ASSERT_TRUE(succeeded) << statuses.join(' ').toStdString();
    statuses.removeAll(QString());
    // 停止 stands only while the encoder stops (a few milliseconds), so the poll may miss it;
    // the order of what was seen must still be the recorder's.
    if (!statuses.contains("停止")) statuses.insert(statuses.indexOf("已成功"), "停止");
    EXPECT_EQ(statuses, (QStringList{"准备录制", "正在录制", "停止", "已成功"}));

    const QStringList files = QDir(folder + "TVRecord").entryList({"*.wmv"}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression("^\\d{14}\\d{5}\\.wmv$").match(files[0]).hasMatch()) << files[0].toStdString();
    const QString path = folder + "TVRecord/" + files[0];
    const Probe probe = ProbeFile(path);
    EXPECT_EQ(probe.codecs, (QStringList{"wmv2", "wmav2"}));
    EXPECT_NEAR(probe.duration, 60.0, 4.0);
    const QString queue = folder + "ftpconfigure.ini";
    EXPECT_EQ(platform::GetPrivateProfileInt("FTP", "FILECOUNT", 0, queue), 1);
    EXPECT_EQ(platform::GetPrivateProfileString("FTP_0", "FILENAME", "", queue), path);
    EXPECT_EQ(platform::GetPrivateProfileString("FTP_0", "FTPSTATE", "", queue), "0");

    // Stop (the encoder had started, so the question names the recording), then exit.
    Press(window, 1002);
    EXPECT_TRUE(boxes.texts.contains("正在录制中!确定要停止吗?")) << boxes.texts.join('|').toStdString();
    EXPECT_EQ(qobject_cast<QAbstractButton*>(FindControl(window, 1002))->text(), "准备录制");
    // Leaving the recorder closes its tab.
    Press(window, 2);
    EXPECT_TRUE(boxes.texts.contains("确定要退出吗?"));
    ASSERT_TRUE(PumpUntil([&] { return view->Tabs()->GetSSLPageCount() == 0; }, 10000));
    EXPECT_FALSE(view->EncoderBusy());
    view.reset();
}

TEST(HostedRecorder, AnUnregisteredControlIsReportedOnThePageWhoseCloseButtonClosesIt) {
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    simtest::PlatformProcess platform;
    ASSERT_TRUE(platform.Start());
    Globals().serviceUrl = QStringLiteral("http://127.0.0.1:%1/vekservices/ClientService").arg(platform.port());
    Globals().passwordDigest = PasswordDigest("demo123");
    ASSERT_EQ(SvcLogin("demo", Globals().passwordDigest), 1);
    BoxAnswers programBoxes(IDOK);
    Frame frame;
    CChildView view(&frame);
    view.show();
    ASSERT_TRUE(PumpUntil([&] { return view.SignedIn(); }, 10000));
    ASSERT_TRUE(view.OnCommand(ID_SCHEDULED_RECORD));
    auto* page = dynamic_cast<CRecordDlg*>(view.Tabs()->GetSSLPage(0));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->CreateResult(), platform::kREGDB_E_CLASSNOTREG);
    EXPECT_FALSE(page->findChild<QLabel*>("recorderMissing")->text().isEmpty());
    // A second encoder task is refused while the tab is open.
    ASSERT_TRUE(view.OnCommand(ID_SCHEDULED_RECORD));
    EXPECT_EQ(programBoxes.texts.value(0), "您正在做直播！请先关闭该直播任务，谢谢！");
    Press(page, 1076);
    ASSERT_TRUE(PumpUntil([&] { return view.Tabs()->GetSSLPageCount() == 0; }, 5000));
    EXPECT_FALSE(view.EncoderBusy());
}

}  // namespace
