// The task list with pages of every kind: busy flags and their messages, device flags,
// WM_TASKLIST, closing tabs, sign-out and sign-in, and the window's end. The pages are
// small stand-ins registered with the page factory, driven through their buttons.

#include "client/service/password_digest.h"
#include "client/service/service_calls.h"
#include "client/shell/client_globals.h"
#include "client/shell/command_ids.h"
#include "client/shell/message_box.h"
#include "client/tasks/base_task_dlg.h"
#include "client/tasks/child_view.h"
#include "client/tasks/frame_menu_host.h"
#include "client/tasks/info_dlg.h"
#include "client/tasks/task_list_message.h"
#include "client/tasks/task_page_factory.h"
#include "client/tasks/task_records.h"
#include "client/widgets/find_control.h"
#include "client/widgets/tab_pages.h"
#include "tests/sim/platform_process.h"
#include "tests/support/gui_test.h"
#include "tests/support/platform_suite.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using test_support::WaitFor;

namespace {

class TestPage : public CBaseTaskDlg {
public:
    TestPage(int kind, QWidget* parent) : CBaseTaskDlg(kind, QSize(400, 300), parent) {
        startStop = new QPushButton(kStartCaption);
        closeButton = new QPushButton(QStringLiteral("关闭"));
        Place(startStop, QRect(10, 10, 80, 24));
        Place(closeButton, QRect(100, 10, 80, 24));
        SetControlId(startStop, 1010, QStringLiteral("开始"));
        SetControlId(closeButton, 1076, QStringLiteral("关闭"));
        SetButtons(startStop, closeButton);
        connect(startStop, &QPushButton::clicked, this, [this] { Start(); });
        connect(closeButton, &QPushButton::clicked, this, [this] { Close(); });
    }
    void Stop() override {
        if (!running) return;
        running = false;
        ++stops;
        startStop->setText(kStartCaption);
        NotifyTaskList(kTaskStopped, TaskId());
    }
    bool running = false;
    int stops = 0;
    QPushButton* startStop;
    QPushButton* closeButton;

protected:
    void StartTask() override {
        running = true;
        startStop->setText(kStopCaption);
        closeButton->setEnabled(false);
        NotifyTaskList(kTaskStarted, TaskId());
    }
};

class MenuRecorder : public CFrameMenuHost {
public:
    void SetMenu(int menuResource) override { menus.push_back(menuResource); }
    void RedrawFrame() override { ++redraws; }
    std::vector<int> menus;
    int redraws = 0;
};

class TaskList : public test_support::PlatformSuite {
protected:
    void SetUp() override {
        ClientGlobals& g = Globals();
        g.serviceUrl = ServiceUrl(platform_->port());
        g.serverIp = BaseUrl(platform_->port());
        g.mediaServers.clear();
        g.videoDevices = {{kScreenCaptureDevice, 2, 0}, {"Test Camera", 2, 0}};
        g.audioDevices = {{"Test Microphone", 1, 0}};
        SignInAs("demo", "demo123");
        for (int kind = 0; kind <= 7; ++kind) {
            RegisterTaskPage(kind, {[kind](QWidget* parent) { return new TestPage(kind, parent); }, {}});
        }
        SetMessageBoxResponder([this](const MessageBoxRequest& request) {
            messages << request.text;
            return answer;
        });
        view = std::make_unique<CChildView>(&menus);
        view->resize(1000, 600);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        ASSERT_TRUE(WaitFor([&] { return view->SignedIn(); })) << "the first paint signs the view in";
    }
    void TearDown() override {
        view.reset();
        SetMessageBoxResponder(nullptr);
        for (int kind = 0; kind <= 7; ++kind) RegisterTaskPage(kind, {});
    }

    static void SignInAs(const char* user, const char* password) {
        Globals().passwordDigest = PasswordDigest(password);
        ASSERT_EQ(SvcLogin(user, Globals().passwordDigest), 1);
        ASSERT_TRUE(SvcGetCompany());
    }

    TestPage* PageAt(int tab) const { return dynamic_cast<TestPage*>(view->Tabs()->GetSSLPage(tab)); }
    TestPage* Current() const { return PageAt(view->Tabs()->GetSSLActivePage()); }
    int Tabs() const { return view->Tabs() ? view->Tabs()->GetSSLPageCount() : 0; }
    QString LastMessage() const { return messages.isEmpty() ? QString() : messages.last(); }
    static void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    static int Flag(const QString& device) {
        for (const DeviceEntry& e : Globals().videoDevices) {
            if (e.name == device) return e.flag;
        }
        return -1;
    }

    MenuRecorder menus;
    std::unique_ptr<CChildView> view;
    QStringList messages;
    int answer = IDOK;
};

TEST_F(TaskList, SignInSetUpAttachesTheMenuAndThePane) {
    EXPECT_EQ(menus.menus, std::vector<int>{IDR_MENU_SIGNED_IN});
    ASSERT_TRUE(view->InfoPane());
    EXPECT_EQ(view->InfoPane()->geometry(), QRect(0, 0, CChildView::kInfoPaneWidth, 600));
    EXPECT_EQ(view->InfoPane()->Caption(), "欢迎您，demo！");
    EXPECT_TRUE(view->KeepAliveRunning());
    EXPECT_TRUE(view->EmptyPicture()->isVisible());
    EXPECT_FALSE(view->Tabs()->isVisible());
    EXPECT_EQ(view->EmptyPicture()->geometry(), QRect(300, 0, 700, 600));

    // 登录 again while signed in keeps the one keep-alive thread; sign-out still ends it.
    view->OnCommand(ID_SIGN_IN);
    answer = IDOK;
    view->OnCommand(ID_SIGN_OUT);
    EXPECT_FALSE(view->KeepAliveRunning());
    EXPECT_FALSE(view->SignedIn());
}

TEST_F(TaskList, OneEncoderTaskAtATimeAndLocalRecordingBesideIt) {
    view->OnCommand(ID_LIVECAST);
    ASSERT_EQ(Tabs(), 1);
    EXPECT_EQ(view->Tabs()->tabText(0), "现场直播");
    EXPECT_TRUE(view->EncoderBusy());
    EXPECT_TRUE(view->Tabs()->isVisible());
    EXPECT_FALSE(view->EmptyPicture()->isVisible());

    for (int command : {ID_LIVECAST, ID_FILECAST, ID_MULTICAST, ID_HOME_LIVE, ID_SCHEDULED_RECORD}) {
        messages.clear();
        view->OnCommand(command);
        EXPECT_EQ(messages, QStringList{"您正在做直播！请先关闭该直播任务，谢谢！"}) << command;
    }
    EXPECT_EQ(Tabs(), 1);

    view->OnCommand(ID_LOCAL_RECORD);  // not checked against the encoder flag
    ASSERT_EQ(Tabs(), 2);
    EXPECT_EQ(view->Tabs()->tabText(1), "本地录制");
    EXPECT_EQ(view->Tabs()->GetSSLActivePage(), 1);
    EXPECT_EQ(view->TaskAt(1)->kind, TASK_LIVECAST);
    EXPECT_EQ(static_cast<CLiveCastTask*>(view->TaskAt(1))->isRecord, 1);

    // Closing both through their close buttons leaves the empty picture.
    Click(Current()->closeButton);
    Click(Current()->closeButton);
    EXPECT_EQ(Tabs(), 0);
    EXPECT_EQ(view->TaskSlotCount(), 0);
    EXPECT_FALSE(view->EncoderBusy());
    EXPECT_FALSE(view->Tabs()->isVisible());
    EXPECT_TRUE(view->EmptyPicture()->isVisible());
    view->OnCommand(ID_LIVECAST);
    EXPECT_EQ(Tabs(), 1);
}

TEST_F(TaskList, UploadAndDrmRunsAreOneEach) {
    view->OnCommand(ID_FILE_UPLOAD);
    view->OnCommand(ID_FILE_DRM);
    ASSERT_EQ(Tabs(), 2);
    EXPECT_TRUE(view->UploadBusy());
    EXPECT_TRUE(view->DrmBusy());
    view->OnCommand(ID_FILE_UPLOAD);
    EXPECT_EQ(LastMessage(), "您正在做上传！请先关闭该上传任务，谢谢！");
    view->OnCommand(ID_FILE_DRM);
    EXPECT_EQ(LastMessage(), "您正在做加密！请先关闭该加密任务，谢谢！");
    EXPECT_EQ(view->Tabs()->tabText(0), "文件上传");
    EXPECT_EQ(view->Tabs()->tabText(1), "文件加密");
    EXPECT_FALSE(view->EncoderBusy());

    // Made within the same second the two share their taskId; closing the second tab
    // still closes that task and no other.
    view->TaskAt(1)->taskId = view->TaskAt(0)->taskId;
    Click(PageAt(1)->closeButton);
    ASSERT_EQ(Tabs(), 1);
    EXPECT_EQ(view->Tabs()->tabText(0), "文件上传");
    ASSERT_EQ(view->TaskSlotCount(), 1);
    EXPECT_EQ(view->TaskAt(0)->kind, TASK_FILEUPLOAD);
    EXPECT_EQ(PageAt(0)->Record(), view->TaskAt(0));
    EXPECT_TRUE(view->UploadBusy());
    EXPECT_FALSE(view->DrmBusy());
}

TEST_F(TaskList, BalancesAndSpaceGuardUploadAndDrm) {
    Globals().account.vodCount = 0;
    view->OnCommand(ID_FILE_UPLOAD);
    EXPECT_EQ(LastMessage(), "您的点播余额为零！");
    Globals().account.vodCount = 3;
    Globals().account.freeSpace = 0;
    view->OnCommand(ID_FILE_UPLOAD);
    EXPECT_EQ(LastMessage(), "您已没有足够的空间！");
    Globals().account.drmCount = 0;
    view->OnCommand(ID_FILE_DRM);
    EXPECT_EQ(LastMessage(), "您的DRM服务余额为零！");
    EXPECT_EQ(Tabs(), 0);

    // Without live minutes a broadcast goes from this PC only.
    Globals().serverBroadcast = true;
    Globals().account.liveCount = 0;
    view->OnCommand(ID_LIVECAST);
    EXPECT_FALSE(Globals().serverBroadcast);
}

TEST_F(TaskList, PagesReportStartStopAndDevices) {
    view->OnCommand(ID_LIVECAST);
    TestPage* page = Current();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->PageKind(), TASK_LIVECAST);
    EXPECT_EQ(page->Record(), view->TaskAt(0));
    Click(page->startStop);  // 开始
    EXPECT_EQ(view->TaskAt(0)->runState, 1);
    EXPECT_FALSE(page->closeButton->isEnabled());
    Click(page->startStop);  // 结束: RequestStop gives the close button back
    EXPECT_EQ(view->TaskAt(0)->runState, 0);
    EXPECT_TRUE(page->closeButton->isEnabled());
    EXPECT_EQ(page->stops, 1);

    // The page takes the camera and frees it; closing a live task frees its device.
    const QString camera = "Test Camera";
    platform::SendMessage(view->Handle(), WM_TASKLIST, kDeviceInUse, StringParam(&camera));
    EXPECT_EQ(Flag(camera), 1);
    platform::SendMessage(view->Handle(), WM_TASKLIST, kDeviceFree, StringParam(&camera));
    EXPECT_EQ(Flag(camera), 0);
    view->TaskAt(0)->videoDevice = camera;
    platform::SendMessage(view->Handle(), WM_TASKLIST, kDeviceInUse, StringParam(&camera));
    Click(page->closeButton);
    EXPECT_EQ(Flag(camera), 0);
    EXPECT_EQ(view->TaskSlotCount(), 0);

    // Codes the list does not know, and strings that match nothing, change nothing.
    const QString nobody = "TASK_nobody";
    EXPECT_EQ(platform::SendMessage(view->Handle(), WM_TASKLIST, 99, 0), 0);
    platform::SendMessage(view->Handle(), WM_TASKLIST, kTaskStarted, StringParam(&nobody));
    platform::SendMessage(view->Handle(), WM_TASKLIST, kTaskClosed, StringParam(&nobody));
    platform::SendMessage(view->Handle(), WM_TASKLIST, kDeviceInUse, 0);
    EXPECT_EQ(Tabs(), 0);
}

TEST_F(TaskList, ClosingAnotherTaskLeavesTheMonitorOpen) {
    view->OnCommand(ID_HOME_LIVE);
    view->OnCommand(ID_FILE_UPLOAD);
    ASSERT_EQ(view->TaskSlotCount(), 2);
    EXPECT_EQ(view->TaskAt(0), nullptr) << "the monitor's slot holds no record";
    view->Tabs()->SetActiveSSLPage(0);  // the monitor is on show while the upload closes
    PageAt(1)->Close();
    ASSERT_EQ(Tabs(), 1);
    EXPECT_EQ(PageAt(0)->PageKind(), TASK_MONITOR);
    EXPECT_TRUE(view->EncoderBusy());
    EXPECT_FALSE(view->UploadBusy());

    // The monitor closes with an id that matches no record.
    Click(PageAt(0)->closeButton);
    EXPECT_EQ(Tabs(), 0);
    EXPECT_EQ(view->TaskSlotCount(), 0);
    EXPECT_FALSE(view->EncoderBusy());
}

TEST_F(TaskList, KindsWithoutAPageCreateNothing) {
    RegisterTaskPage(TASK_LIVECAST, {});
    RegisterTaskPage(TASK_FILECAST, {});
    view->OnCommand(ID_LIVECAST);
    view->OnCommand(ID_FILECAST);
    EXPECT_EQ(view->TaskSlotCount(), 0);
    EXPECT_FALSE(view->EncoderBusy());
    EXPECT_TRUE(messages.isEmpty());

    // A wizard that is not finished creates nothing either.
    RegisterTaskPage(TASK_FILECAST, {[](QWidget* parent) { return new TestPage(TASK_FILECAST, parent); },
                                     [](QWidget*, CBaseTask&) { return false; }});
    view->OnCommand(ID_FILECAST);
    EXPECT_EQ(view->TaskSlotCount(), 0);
}

TEST_F(TaskList, AMultiSourceTaskFreesItsSceneDevicesWhenItCloses) {
    Globals().videoDevices[1].flag = 1;
    RegisterTaskPage(TASK_MULTICAST, {[](QWidget* parent) { return new TestPage(TASK_MULTICAST, parent); },
                                      [](QWidget*, CBaseTask& record) {
                                          auto& multi = static_cast<CMultiCastTask&>(record);
                                          multi.sourceList.push_back(
                                              std::make_unique<CTSource>("场景一", "Test Camera", "Test Microphone", 0));
                                          multi.sourceList.push_back(std::make_unique<CTSource>("片头", "/tmp/a.wmv", 1));
                                          multi.isRecord = 0;
                                          multi.outputFile = "/tmp/out.wmv";
                                          return true;
                                      }});
    view->OnCommand(ID_MULTICAST);
    ASSERT_EQ(Tabs(), 1);
    auto* multi = static_cast<CMultiCastTask*>(view->TaskAt(0));
    EXPECT_EQ(multi->outputFile, "") << "no output file without recording";
    EXPECT_EQ(view->Tabs()->tabText(0), "混排直播");
    Click(Current()->closeButton);
    EXPECT_EQ(Flag("Test Camera"), 0);
    EXPECT_FALSE(view->EncoderBusy());
}

TEST_F(TaskList, SignOutKeepsTheScheduledRecordingAndSignInKeepsItCounted) {
    view->OnCommand(ID_SCHEDULED_RECORD);
    Click(Current()->startStop);
    view->OnCommand(ID_FILE_UPLOAD);
    Click(Current()->startStop);
    ASSERT_EQ(Tabs(), 2);

    answer = IDCANCEL;
    view->OnCommand(ID_SIGN_OUT);
    EXPECT_EQ(LastMessage(), "您确定要注销吗？（除“节目录制”外所有正在进行的任务都将停止）");
    EXPECT_TRUE(view->SignedIn());
    EXPECT_EQ(Tabs(), 2);

    answer = IDOK;
    view->OnCommand(ID_SIGN_OUT);
    EXPECT_FALSE(view->SignedIn());
    EXPECT_EQ(view->InfoPane(), nullptr);
    EXPECT_EQ(menus.menus.back(), IDR_MENU_SIGNED_OUT);
    EXPECT_TRUE(Globals().mediaServers.isEmpty());
    ASSERT_EQ(Tabs(), 1);
    EXPECT_EQ(PageAt(0)->PageKind(), TASK_SCHEDULED_RECORD);
    EXPECT_TRUE(PageAt(0)->running) << "the scheduled recording goes on";
    EXPECT_EQ(view->TaskAt(0)->kind, TASK_SCHEDULED_RECORD);

    messages.clear();
    view->OnCommand(ID_LIVECAST);
    EXPECT_EQ(messages, QStringList{"您还没有登录！"});
    view->OnCommand(ID_LOCAL_RECORD);  // needs no sign-in
    EXPECT_EQ(Tabs(), 2);
    Click(Current()->closeButton);

    view->OnCommand(ID_SIGN_IN);
    EXPECT_TRUE(view->SignedIn());
    EXPECT_TRUE(view->InfoPane());
    EXPECT_EQ(menus.menus.back(), IDR_MENU_SIGNED_IN);
    view->OnCommand(ID_LIVECAST);
    EXPECT_EQ(LastMessage(), "您正在做直播！请先关闭该直播任务，谢谢！") << "the recording tab still counts";
}

TEST_F(TaskList, TheWindowsEndClosesEveryPageAndSignsOut) {
    view->OnCommand(ID_SCHEDULED_RECORD);
    view->OnCommand(ID_FILE_DRM);
    Click(Current()->startStop);
    QPointer<TestPage> drm = Current();
    view->DestroyWindow();
    EXPECT_EQ(Tabs(), 0);
    EXPECT_EQ(view->TaskSlotCount(), 0);
    EXPECT_FALSE(view->SignedIn());
    EXPECT_FALSE(view->KeepAliveRunning());
    EXPECT_EQ(menus.menus.back(), IDR_MENU_SIGNED_OUT);
    // The platform's session ended: the old cookie no longer works.
    EXPECT_FALSE(SvcGetCompany());
}

TEST_F(TaskList, TheAccountPaneShowsTheRowsInTheirFormats) {
    AccountInfo account;
    account.loginName = "demo";
    account.comName = "演示传媒有限公司";
    account.state = 1;
    account.freeCount = 99.9;
    account.liveCount = 600;
    account.vodCount = 12;
    account.drmCount = 3;
    account.totalSpace = 10485760;
    account.freeSpace = 1536;
    EXPECT_EQ(CInfoDlg::CaptionFor(account), "欢迎您，demo！");
    const QList<QPair<QString, QString>> expected = {
        {"公司名", "演示传媒有限公司"}, {"状态", "体验用户"},     {"总余额", "99元"},
        {"直播余额", "600分钟"},        {"点播余额", "12个月"},   {"加密余额", "3个月"},
        {"点播总空间", "10240.00M"},    {"点播剩余空间", "1.50M"},
    };
    EXPECT_EQ(CInfoDlg::RowsFor(account), expected);
    account.state = 0;
    EXPECT_EQ(CInfoDlg::RowsFor(account)[1].second, "未启用用户");
    account.state = 2;
    EXPECT_EQ(CInfoDlg::RowsFor(account)[1].second, "正式用户");
}

}  // namespace
