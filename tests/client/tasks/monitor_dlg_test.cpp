// The home broadcast and the live page in the real task list against castora-platform:
// the monitor's "save" folder, its growing archive, the 9100 pull, startLive with live id
// 0, the close refusal while it runs, its buttons by page state and its end-time box; one
// encoder task at a time (151) and the live page's video device freed when its tab closes.

#include "client/shell/command_ids.h"
#include "client/tasks/child_view.h"
#include "client/tasks/frame_menu_host.h"
#include "client/tasks/livecast_dlg.h"
#include "client/tasks/monitor_dlg.h"
#include "client/tasks/task_records.h"
#include "client/widgets/status_text.h"
#include "client/widgets/tab_pages.h"
#include "encoder_page_fixture.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLineEdit>

using namespace encoder_page_test;

namespace {

class NoFrame : public CFrameMenuHost {
public:
    void SetMenu(int) override {}
    void RedrawFrame() override {}
};

class EncoderTabs : public EncoderPageSuite {
protected:
    void OpenView() {
        view = std::make_unique<CChildView>(&frame);
        view->resize(1200, 700);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        ASSERT_TRUE(WaitFor([&] { return view->SignedIn(); }));
    }
    void TearDown() override {
        view.reset();
        EncoderPageSuite::TearDown();
    }
    QWidget* Page() const { return view->Tabs()->GetSSLPage(view->Tabs()->GetSSLActivePage()); }
    int Tabs() const { return view->Tabs() ? view->Tabs()->GetSSLPageCount() : 0; }
    QPushButton* Button(int id) const { return FindControlAs<QPushButton>(Page(), id); }
    void Click(int id) const { QTest::mouseClick(Button(id), Qt::LeftButton); }
    QString Status(int id) const { return FindControlAs<QLabel>(Page(), id)->text(); }
    QString SaveFolder() const { return program_.filePath("save"); }
    int Flag(const QString& device) const {
        for (const DeviceEntry& e : Globals().videoDevices)
            if (e.name == device) return e.flag;
        return -1;
    }

    NoFrame frame;
    std::unique_ptr<CChildView> view;
};

TEST_F(EncoderTabs, TheHomeBroadcastArchivesServesAndRefusesToCloseWhileRunning) {
    StartPlatform();
    SignInAs("demo", "demo123");
    OpenView();
    view->OnCommand(ID_HOME_LIVE);
    ASSERT_EQ(Tabs(), 1);
    auto* monitor = dynamic_cast<CMonitorDlg*>(Page());
    ASSERT_TRUE(monitor);
    EXPECT_EQ(FindControlAs<QLineEdit>(monitor, 1150)->text(), "mms://127.0.0.1:9100");
    EXPECT_TRUE(Button(1010)->isEnabled());
    EXPECT_FALSE(Button(1013)->isEnabled());
    ASSERT_TRUE(ChooseItem(FindControlAs<QComboBox>(monitor, 1143), "Test Camera"));
    ASSERT_TRUE(ChooseItem(FindControlAs<QComboBox>(monitor, 1138), "视频中质量（256K）"));
    ASSERT_FALSE(QFileInfo::exists(SaveFolder()));

    Click(1010);
    ASSERT_TRUE(WaitFor([&] { return monitor->PageState() == 2; }, 20000)) << Status(1155).toStdString();
    EXPECT_EQ(Status(1155), "正在运行");
    EXPECT_FALSE(Button(1010)->isEnabled());
    EXPECT_TRUE(Button(1013)->isEnabled());
    EXPECT_FALSE(FindControlAs<QComboBox>(monitor, 1137)->isEnabled());
    EXPECT_FALSE(FindControlAs<QLineEdit>(monitor, 1147)->text().isEmpty()) << "the start time is shown";
    EXPECT_TRUE(QFileInfo(SaveFolder()).isDir()) << "the save folder is made on the first start";
    const QString archive = monitor->ArchivePath();
    EXPECT_EQ(FindControlAs<QLineEdit>(monitor, 1151)->text(), archive);
    EXPECT_TRUE(archive.startsWith(SaveFolder() + "/"));
    EXPECT_TRUE(archive.endsWith(".wmv"));
    EXPECT_EQ(Streams("mmsh://127.0.0.1:9100/"), "wmv2\nwmav2\n");
    ASSERT_TRUE(WaitFor([&] { return QFileInfo(archive).size() > 0; }, 10000));
    const qint64 size = QFileInfo(archive).size();
    EXPECT_TRUE(WaitFor([&] { return QFileInfo(archive).size() > size; }, 10000)) << "the archive grows";

    const QJsonObject live = LastBroadcast();
    EXPECT_EQ(live.value("serverId").toInteger(), 0) << "startLive with live id 0";
    EXPECT_EQ(live.value("state").toString(), "live");
    EXPECT_EQ(live.value("playUrl").toString(), "mms://127.0.0.1:9100");
    EXPECT_EQ(live.value("isDrm").toInt(), 0);
    for (const char* p : {"live1", "live2", "live3"}) EXPECT_EQ(platform_->LivePointRow(1, p), "free|0|0");

    Click(1076);
    EXPECT_EQ(messages, QStringList{CMonitorDlg::kWaitForStop});
    EXPECT_EQ(Tabs(), 1) << "the tab stays";

    Click(1013);
    EXPECT_EQ(monitor->PageState(), 4);
    EXPECT_EQ(Status(1155), "已停止");
    EXPECT_TRUE(Button(1010)->isEnabled());
    EXPECT_FALSE(Button(1013)->isEnabled());
    EXPECT_EQ(LastBroadcast().value("state").toString(), "ended") << "not left listed on the platform";
    EXPECT_EQ(Streams(archive), "wmv2\nwmav2\n") << "the archive is a whole file";

    Click(1076);
    EXPECT_EQ(Tabs(), 0);
    EXPECT_EQ(view->TaskSlotCount(), 0);
    EXPECT_FALSE(view->EncoderBusy());
}

TEST_F(EncoderTabs, TheMonitorsEndTimeBoxStopsItAndItsPreviewsRefuseEmptyFields) {
    StartPlatform();
    SignInAs("empty", "empty123");
    OpenView();
    view->OnCommand(ID_HOME_LIVE);
    auto* monitor = dynamic_cast<CMonitorDlg*>(Page());
    ASSERT_TRUE(monitor);
    Click(1153);
    EXPECT_EQ(messages, QStringList{CMonitorDlg::kNoPlayFile});
    ASSERT_TRUE(ChooseItem(FindControlAs<QComboBox>(monitor, 1137), "音频"));
    EXPECT_FALSE(FindControlAs<QComboBox>(monitor, 1143)->isEnabled());
    EXPECT_EQ(FindControlAs<QComboBox>(monitor, 1138)->currentText(), "音频中质量（64K）");
    const QString end = QDateTime::currentDateTime().addSecs(4).toString("yyyy-MM-dd HH:mm:ss");
    auto* endBox = FindControlAs<QLineEdit>(monitor, 1149);
    endBox->setFocus();
    QTest::keyClicks(endBox, end);
    Click(1010);
    ASSERT_TRUE(WaitFor([&] { return monitor->PageState() == 2; }, 20000)) << Status(1155).toStdString();
    EXPECT_EQ(Status(1155), CLivecastDlg::kStatusLocalOnly);
    EXPECT_TRUE(monitor->ArchivePath().endsWith(".wma"));
    ASSERT_TRUE(WaitFor([&] { return monitor->PageState() == 4; }, 15000));
    EXPECT_GE(CEncoderTaskDlg::NowText(), end);
    EXPECT_EQ(Status(1155), "已停止");
    EXPECT_EQ(LastBroadcast().value("state").toString(), "ended");
}

TEST_F(EncoderTabs, AnUnwritableSaveFolderFailsTheStart) {
    StartPlatform();
    SignInAs("demo", "demo123");
    {
        QFile blocker(SaveFolder());  // a file where the folder should be
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    OpenView();
    view->OnCommand(ID_HOME_LIVE);
    auto* monitor = dynamic_cast<CMonitorDlg*>(Page());
    ASSERT_TRUE(monitor);
    ASSERT_TRUE(ChooseItem(FindControlAs<QComboBox>(monitor, 1143), "Test Camera"));
    Click(1010);
    ASSERT_TRUE(WaitFor([&] { return Status(1155) == "启动失败"; }, 20000)) << Status(1155).toStdString();
    EXPECT_EQ(monitor->PageState(), 4);
    EXPECT_TRUE(Button(1010)->isEnabled());
    EXPECT_NE(LastBroadcast().value("state").toString(), "live");
    Click(1076);
    EXPECT_EQ(Tabs(), 0);
}

TEST_F(EncoderTabs, OneEncoderTaskAtATimeAndTheLiveTabFreesItsDevice) {
    StartPlatform();
    SignInAs("demo", "demo123");
    OpenView();
    view->OnCommand(ID_LIVECAST);
    ASSERT_EQ(Tabs(), 1);
    auto* live = dynamic_cast<CLivecastDlg*>(Page());
    ASSERT_TRUE(live);
    view->OnCommand(ID_HOME_LIVE);
    view->OnCommand(ID_LIVECAST);
    EXPECT_EQ(messages, QStringList(2, "您正在做直播！请先关闭该直播任务，谢谢！"));
    EXPECT_EQ(Tabs(), 1);

    ASSERT_TRUE(ChooseItem(FindControlAs<QComboBox>(live, 1163), "Test Camera"));
    Click(1010);
    ASSERT_TRUE(WaitFor([&] { return live->PageState() == 2; }, 20000));
    EXPECT_EQ(Flag("Test Camera"), 1);
    EXPECT_EQ(view->TaskAt(0)->runState, 1);
    Click(1010);
    EXPECT_EQ(view->TaskAt(0)->runState, 0);
    Click(1076);
    EXPECT_EQ(Tabs(), 0);
    EXPECT_EQ(Flag("Test Camera"), 0) << "closing the tab frees the device";
    view->OnCommand(ID_LIVECAST);
    ASSERT_EQ(Tabs(), 1);
    EXPECT_GE(FindControlAs<QComboBox>(Page(), 1163)->findText("Test Camera"), 0);
}

}  // namespace
