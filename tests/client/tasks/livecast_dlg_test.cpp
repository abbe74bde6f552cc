// The live broadcast page against castora-platform with the test devices: a broadcast to
// media server 1 watched at both addresses and registered with startLive / stopLive, the
// remembered choices, the account without live minutes, the refusals (181, 180, 182),
// a dropped push with and without reconn, start failures (code 7), and the schedule.

#include "client/tasks/livecast_dlg.h"
#include "client/tasks/task_records.h"
#include "client/widgets/status_text.h"
#include "encoder_page_fixture.h"
#include "tests/support/tool_run.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFileInfo>
#include <QLineEdit>

using namespace encoder_page_test;

namespace {

class LivecastPage : public EncoderPageSuite {
protected:
    void OpenPage() {
        page = std::make_unique<CLivecastDlg>();
        page->SetUp(&view, &record);
        page->resize(page->DesignSize());
        page->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
        QObject::connect(Control<CStatusText>(1019), &CStatusText::shown, [this](const QString& s) { statuses << s; });
    }
    void TearDown() override {
        page.reset();
        EncoderPageSuite::TearDown();
    }
    template <class T>
    T* Control(int id) const {
        return FindControlAs<T>(page.get(), id);
    }
    void Click(int id) const { QTest::mouseClick(Control<QPushButton>(id), Qt::LeftButton); }
    QString Status() const { return Control<QLabel>(1019)->text(); }
    QString Text(int id) const { return Control<QLineEdit>(id)->text(); }
    void ChooseCameraAt256K() {
        ASSERT_TRUE(ChooseItem(Control<QComboBox>(1163), QStringLiteral("Test Camera")));
        ASSERT_TRUE(ChooseItem(Control<QComboBox>(1161), QStringLiteral("视频中质量（256K）")));
        ASSERT_TRUE(ChooseItem(Control<QComboBox>(1165), QStringLiteral("媒体服务器一")));
    }
    // Ticks 直播加密 with the mouse; true when it is ticked.
    bool TickDrm() const {
        QTest::mouseClick(Control<QCheckBox>(1166), Qt::LeftButton);
        return Control<QCheckBox>(1166)->isChecked();
    }
    bool WaitForStatus(const QString& text, int timeoutMs = 20000) {
        return WaitFor([&] { return statuses.contains(text); }, timeoutMs);
    }
    std::string PointRow(const char* point) const { return platform_->LivePointRow(1, point); }

    ViewStub view;
    CLiveCastTask record;
    std::unique_ptr<CLivecastDlg> page;
    QStringList statuses;
};

TEST_F(LivecastPage, ABroadcastToMediaServerOneIsWatchedRegisteredAndStopped) {
    StartPlatform();
    SignInAs("demo", "demo123");
    OpenPage();
    EXPECT_EQ(Text(1059), "mms://127.0.0.1:9100");
    EXPECT_TRUE(Text(1051).isEmpty());
    EXPECT_TRUE(Text(1159).startsWith("http://127.0.0.1/code/"));
    EXPECT_EQ(Text(1159).size(), QString("http://127.0.0.1/code/").size() + 16);
    ChooseCameraAt256K();

    Click(1010);
    EXPECT_EQ(Control<QPushButton>(1010)->text(), "结束");
    EXPECT_FALSE(Control<QPushButton>(1076)->isEnabled());
    ASSERT_TRUE(WaitForStatus("正在运行")) << Status().toStdString();
    EXPECT_EQ(statuses.first(), CLivecastDlg::kStatusStarting);
    EXPECT_EQ(page->PageState(), 2);
    EXPECT_FALSE(Control<QComboBox>(1163)->isEnabled());
    EXPECT_EQ(view.codes.front(), kTaskStarted);

    const QJsonObject live = LastBroadcast();
    EXPECT_EQ(live.value("state").toString(), "live");
    EXPECT_EQ(live.value("playPath").toString(), Text(1051)) << "the internet address is the playPath";
    EXPECT_EQ(live.value("playUrl").toString(), "mms://127.0.0.1:9100");
    EXPECT_EQ(live.value("userIp").toString(), "127.0.0.1");
    EXPECT_EQ(live.value("liveId").toInteger(), record.serverRecord.liveId);
    EXPECT_EQ(Streams(PlayerUrl(Text(1051))), "wmv2\nwmav2\n");
    EXPECT_EQ(Streams(PlayerUrl(Text(1059))), "wmv2\nwmav2\n");
    const std::string point = record.serverRecord.pubPoint.toStdString();
    EXPECT_TRUE(platform_->WaitForLivePoint(1, point, "live, pushing")) << PointRow(point.c_str());
    const std::string statePage = platform_->Get("/");
    EXPECT_NE(statePage.find(Text(1051).toStdString()), std::string::npos) << "the state page lists the broadcast";
    QTest::qWait(1500);
    EXPECT_FALSE(Text(1028).isEmpty()) << "the elapsed time runs";

    Click(1010);
    EXPECT_EQ(Status(), "已停止");
    EXPECT_EQ(page->PageState(), 4);
    EXPECT_EQ(Control<QPushButton>(1010)->text(), "开始");
    EXPECT_TRUE(Control<QPushButton>(1076)->isEnabled());
    EXPECT_TRUE(Control<QComboBox>(1163)->isEnabled());
    EXPECT_EQ(view.codes.back(), kTaskStopped);
    EXPECT_EQ(LastBroadcast().value("state").toString(), "ended") << "stopLive recorded";
    EXPECT_TRUE(platform_->WaitForLivePoint(1, point, "free")) << PointRow(point.c_str());

    // The choices are remembered and the next page opens with them.
    EXPECT_TRUE(Settings().contains("videoDevice=Test Camera")) << Settings().toStdString();
    EXPECT_TRUE(Settings().contains("mserverName=媒体服务器一")) << Settings().toStdString();
    page.reset();
    CLiveCastTask next;
    record.streamType = 1;  // whatever the last record said
    auto again = std::make_unique<CLivecastDlg>();
    again->SetUp(&view, &next);
    EXPECT_EQ(FindControlAs<QComboBox>(again.get(), 1163)->currentText(), "Test Camera");
    EXPECT_EQ(FindControlAs<QComboBox>(again.get(), 1161)->currentText(), "视频中质量（256K）");
    EXPECT_EQ(FindControlAs<QComboBox>(again.get(), 1165)->currentText(), "媒体服务器一");
    EXPECT_EQ(FindControlAs<QComboBox>(again.get(), 1162)->currentIndex(), 0);
}

TEST_F(LivecastPage, WithoutLiveMinutesTheBroadcastRunsFromThisPcOnly) {
    StartPlatform();
    SignInAs("empty", "empty123");
    OpenPage();
    EXPECT_FALSE(Control<QCheckBox>(1166)->isEnabled());
    EXPECT_EQ(Control<QCheckBox>(1166)->text(), "无加密权限");
    ChooseCameraAt256K();
    Click(1010);
    ASSERT_TRUE(WaitForStatus("您没有直播点数,正在本机直播")) << Status().toStdString();
    EXPECT_TRUE(statuses.contains(CLivecastDlg::kStatusNoLiveBalance));
    EXPECT_TRUE(Text(1051).isEmpty());
    const QJsonObject live = LastBroadcast();
    EXPECT_EQ(live.value("serverId").toInteger(), 0);
    EXPECT_EQ(live.value("state").toString(), "live");
    EXPECT_EQ(live.value("isDrm").toInt(), 0);
    EXPECT_TRUE(live.value("publicKey").toString().isEmpty());
    EXPECT_EQ(live.value("playUrl").toString(), "mms://127.0.0.1:9100");
    EXPECT_EQ(Streams(PlayerUrl(Text(1059))), "wmv2\nwmav2\n");
    for (const char* p : {"live1", "live2", "live3"}) EXPECT_EQ(PointRow(p), "free|0|0") << "nothing pushed to " << p;
    Click(1010);
    EXPECT_EQ(Status(), "已停止");
    EXPECT_EQ(LastBroadcast().value("state").toString(), "ended");
}

TEST_F(LivecastPage, RefusalsStartNothing) {
    StartPlatform({"--withhold-live-drm"});
    SignInAs("demo", "demo123");
    OpenPage();
    ChooseCameraAt256K();
    // 1166 ticked while the service hands out no DRM material: message 180.
    ASSERT_TRUE(TickDrm());
    Click(1010);
    EXPECT_EQ(messages, QStringList{CLivecastDlg::kDrmParamsFailed});
    EXPECT_EQ(page->PageState(), 4);
    EXPECT_FALSE(page->WorkerRunning());
    EXPECT_EQ(Control<QPushButton>(1010)->text(), "开始");
    EXPECT_TRUE(Control<QPushButton>(1076)->isEnabled());
    QTest::mouseClick(Control<QCheckBox>(1166), Qt::LeftButton);

    // Every point of the chosen server taken: 181.
    const std::string sid = platform_->Login("demo", "demo123");
    for (int i = 0; i < 3; ++i) {
        platform_->Call("GetSelMediaServerList",
                        "<id>1</id><type>0</type><profile>p</profile><videoDevice/><audioDevice/><isDrm>0</isDrm>", sid);
    }
    Click(1010);
    EXPECT_EQ(Status(), CLivecastDlg::kAllPointsTaken);
    EXPECT_EQ(page->PageState(), 4);
    EXPECT_FALSE(page->WorkerRunning());
    EXPECT_TRUE(view.codes.empty()) << "no WM_TASKLIST 2";
}

TEST_F(LivecastPage, TheServiceFailingDuringStartShows182) {
    StartPlatform({"--drop", "--fault-operation", "GetSelMediaServerList"});
    SignInAs("demo", "demo123");
    OpenPage();
    ChooseCameraAt256K();
    Click(1010);
    EXPECT_EQ(Status(), CLivecastDlg::kServerInfoFailed);
    EXPECT_EQ(page->PageState(), 4);
    EXPECT_TRUE(Control<QPushButton>(1076)->isEnabled());
}

TEST_F(LivecastPage, ADroppedPushRestartsOnlyWithReconn) {
    StartPlatform({"--drop-push-after", "2", "--drop-push-count", "1"});
    SignInAs("demo", "demo123");
    OpenPage();
    record.reconn = 1;
    ChooseCameraAt256K();
    Click(1010);
    ASSERT_TRUE(WaitForStatus("网络连接中断！", 20000)) << Status().toStdString();
    // Code 0 follows: the page stops, then starts again on a fresh point.
    const auto runningAgain = [&] {
        return statuses.lastIndexOf("正在运行") > statuses.indexOf("网络连接中断！");
    };
    ASSERT_TRUE(WaitFor(runningAgain, 30000)) << statuses.join(" / ").toStdString();
    const qsizetype lost = statuses.indexOf("网络连接中断！");
    EXPECT_GT(statuses.indexOf("已停止", lost), lost);
    const std::string point = record.serverRecord.pubPoint.toStdString();
    EXPECT_TRUE(platform_->WaitForLivePoint(1, point, "live, pushing", 8000)) << PointRow(point.c_str());
    EXPECT_EQ(Streams(PlayerUrl(Text(1051))), "wmv2\nwmav2\n");
    EXPECT_EQ(LastBroadcast().value("state").toString(), "live");
    Click(1010);
    EXPECT_EQ(Status(), "已停止");
    QTest::qWait(1500);
    EXPECT_EQ(page->PageState(), 4) << "an operator's stop never restarts";
}

TEST_F(LivecastPage, ADroppedPushWithoutReconnStaysStopped) {
    StartPlatform({"--drop-push-after", "1.5", "--drop-push-count", "1"});
    SignInAs("demo", "demo123");
    OpenPage();
    ChooseCameraAt256K();
    Click(1010);
    ASSERT_TRUE(WaitForStatus("网络连接中断！", 20000)) << Status().toStdString();
    ASSERT_TRUE(WaitFor([&] { return page->PageState() == 4; }, 15000));
    QTest::qWait(1500);
    EXPECT_EQ(page->PageState(), 4);
    EXPECT_TRUE(Control<QPushButton>(1076)->isEnabled());
    EXPECT_EQ(LastBroadcast().value("state").toString(), "ended") << "stopLive ends it on the platform";
}

TEST_F(LivecastPage, AStartFailureStopsTheRunAndNeverRestarts) {
    StartPlatform();
    SignInAs("demo", "demo123");
    OpenPage();
    record.reconn = 1;
    ASSERT_TRUE(ChooseItem(Control<QComboBox>(1163), QStringLiteral("Broken Camera")));
    Click(1010);
    ASSERT_TRUE(WaitForStatus("启动失败", 20000)) << Status().toStdString();
    EXPECT_EQ(page->PageState(), 4);
    EXPECT_TRUE(Control<QPushButton>(1076)->isEnabled());
    EXPECT_EQ(Control<QPushButton>(1010)->text(), "开始");
    QTest::qWait(1500);
    EXPECT_EQ(page->PageState(), 4);
    EXPECT_EQ(LastBroadcast().value("state").toString(), "released") << "the point was given back";
    EXPECT_EQ(PointRow("live1").rfind("live, pushing", 0), std::string::npos);
    // The next start takes a point and runs.
    ASSERT_TRUE(ChooseItem(Control<QComboBox>(1163), QStringLiteral("Test Camera")));
    statuses.clear();
    Click(1010);
    ASSERT_TRUE(WaitForStatus("正在运行")) << Status().toStdString();
    Click(1010);
    EXPECT_EQ(LastBroadcast().value("state").toString(), "ended");
}

TEST_F(LivecastPage, StartLiveFailingAfterTheEncoderStartedStopsTheRun) {
    StartPlatform({"--drop", "--fault-operation", "startLive"});
    SignInAs("demo", "demo123");
    OpenPage();
    ChooseCameraAt256K();
    Click(1010);
    ASSERT_TRUE(WaitForStatus("启动失败", 30000)) << Status().toStdString();
    EXPECT_EQ(page->PageState(), 4);
    EXPECT_NE(LastBroadcast().value("state").toString(), "live");
    const std::string point = record.serverRecord.pubPoint.toStdString();
    EXPECT_TRUE(platform_->WaitForLivePoint(1, point, "free")) << PointRow(point.c_str());
}

TEST_F(LivecastPage, TheScheduleStartsAndStopsOnTheFirstTickAtOrAfterItsTime) {
    StartPlatform();
    SignInAs("demo", "demo123");
    const QDateTime now = QDateTime::currentDateTime();
    record.autoBegin = 1;
    record.beginTime = now.addSecs(4).toString("yyyy-MM-dd HH:mm:ss");
    record.autoStop = 1;
    record.endTime = now.addSecs(9).toString("yyyy-MM-dd HH:mm:ss");
    OpenPage();
    ChooseCameraAt256K();
    EXPECT_EQ(page->PageState(), 4) << "not before its time";
    ASSERT_TRUE(WaitForStatus("正在运行", 20000)) << Status().toStdString();
    const QString startedAt = CEncoderTaskDlg::NowText();
    EXPECT_GE(startedAt, record.beginTime);
    ASSERT_TRUE(WaitFor([&] { return page->PageState() == 4; }, 15000));
    const QString stoppedAt = CEncoderTaskDlg::NowText();
    EXPECT_GE(stoppedAt, record.endTime);
    EXPECT_LE(QDateTime::fromString(stoppedAt, "yyyy-MM-dd HH:mm:ss").toSecsSinceEpoch() -
                  QDateTime::fromString(record.endTime, "yyyy-MM-dd HH:mm:ss").toSecsSinceEpoch(),
              2);
    EXPECT_EQ(Status(), "已停止");
    QTest::qWait(2000);
    EXPECT_EQ(page->PageState(), 4) << "each time fires once";
}

TEST_F(LivecastPage, AProtectedBroadcastDecryptsWithThePlatformsLicence) {
    StartPlatform();
    SignInAs("demo", "demo123");
    OpenPage();
    ChooseCameraAt256K();
    ASSERT_TRUE(TickDrm());
    Click(1010);
    ASSERT_TRUE(WaitForStatus("正在运行")) << Status().toStdString();
    const QJsonObject live = LastBroadcast();
    EXPECT_EQ(live.value("isDrm").toInt(), 1);
    const QString kid = live.value("kid").toString();
    EXPECT_EQ(kid.size(), 24);
    EXPECT_FALSE(live.value("seed").toString().isEmpty());

    // What a plain HTTP player of the point receives, saved as a file.
    QTemporaryDir work;
    const QString pulled = work.filePath("pulled.asf");
    QProcess curl;
    curl.start("curl", {"-s", "--max-time", "4", "-o", pulled,
                        QString("http://127.0.0.1:%1/%2").arg(mediaPort_).arg(record.serverRecord.pubPoint)});
    ASSERT_TRUE(WaitFor([&] { return curl.state() == QProcess::NotRunning; }, 15000));
    Click(1010);
    ASSERT_GT(QFileInfo(pulled).size(), 20000);

    const auto info = test_support::RunTool("castora-drm", {"info", pulled});
    ASSERT_EQ(info.exitCode, 0) << info.err.toStdString();
    EXPECT_EQ(info.Value("kid"), kid);
    EXPECT_EQ(info.Value("signature"), "valid");
    const auto decrypt = test_support::RunTool(
        "castora-drm", {"decrypt", "--url", Globals().serviceUrl, "--user", "demo", "--password", "demo123", pulled,
                        work.filePath("plain.wmv")});
    ASSERT_EQ(decrypt.exitCode, 0) << decrypt.err.toStdString();
    EXPECT_EQ(Streams(work.filePath("plain.wmv")), "wmv2\nwmav2\n");
}

TEST_F(LivecastPage, ThePlatformGoingAwayMidBroadcastEndsTheRunWithoutAHang) {
    StartPlatform();
    SignInAs("demo", "demo123");
    OpenPage();
    record.reconn = 1;
    ChooseCameraAt256K();
    Click(1010);
    ASSERT_TRUE(WaitForStatus("正在运行")) << Status().toStdString();
    platform_->Stop(9);
    ASSERT_TRUE(WaitForStatus("网络连接中断！", 20000)) << statuses.join(" / ").toStdString();
    // The restart asks a service that is gone: 182, and the page stays idle and usable.
    ASSERT_TRUE(WaitFor([&] { return statuses.contains(CLivecastDlg::kServerInfoFailed); }, 60000))
        << statuses.join(" / ").toStdString();
    EXPECT_EQ(page->PageState(), 4);
    EXPECT_TRUE(Control<QPushButton>(1010)->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(1076)->isEnabled());
    EXPECT_EQ(Control<QPushButton>(1010)->text(), "开始");
}

TEST_F(LivecastPage, RapidPressesLeaveNoBroadcastRunning) {
    StartPlatform();
    SignInAs("demo", "demo123");
    OpenPage();
    ChooseCameraAt256K();
    for (int i = 0; i < 3; ++i) {
        Click(1010);  // 开始
        Click(1010);  // 结束 at once, while it is still starting
        EXPECT_EQ(page->PageState(), 4) << i;
        EXPECT_EQ(Control<QPushButton>(1010)->text(), "开始");
    }
    QTest::qWait(1500);
    EXPECT_EQ(page->PageState(), 4);
    for (const QJsonValue& b : Broadcasts()) EXPECT_NE(b.toObject().value("state").toString(), "live");
    for (const char* p : {"live1", "live2", "live3"})
        EXPECT_TRUE(platform_->WaitForLivePoint(1, p, "free", 8000)) << p << " " << PointRow(p);
    Click(1010);
    ASSERT_TRUE(WaitForStatus("正在运行")) << Status().toStdString();
    Click(1010);
    EXPECT_EQ(LastBroadcast().value("state").toString(), "ended");
}

TEST_F(LivecastPage, ARunStopsWhenTheLiveMinutesRunOut) {
    StartPlatform({"--live-minute-ms", "50"});  // solo's 60 minutes last three seconds
    SignInAs("solo", "solo123");
    OpenPage();
    ChooseCameraAt256K();
    Click(1010);
    ASSERT_TRUE(WaitForStatus("正在运行")) << Status().toStdString();
    // The account as the keep-alive thread fetches it again.
    ASSERT_TRUE(WaitFor([] { return SvcGetCompany() && Globals().account.liveCount == 0; }, 15000));
    ASSERT_TRUE(WaitFor([&] { return page->PageState() == 4; }, 5000));
    EXPECT_EQ(Status(), CLivecastDlg::kStatusNoLiveBalance);
    EXPECT_EQ(LastBroadcast().value("state").toString(), "ended");
}

TEST_F(LivecastPage, ACameraThatEndsLeavesNoBroadcastBehind) {
    StartPlatform();
    SignInAs("demo", "demo123");
    Globals().videoDevices.append({"Short Camera", 2, 0});  // fifty frames, then gone
    OpenPage();
    ChooseCameraAt256K();
    ASSERT_TRUE(ChooseItem(Control<QComboBox>(1163), QStringLiteral("Short Camera")));
    Click(1010);
    ASSERT_TRUE(WaitForStatus("正在运行")) << Status().toStdString();
    QTest::qWait(4000);  // well past the camera's end
    if (page->PageState() == 2) {
        EXPECT_EQ(Streams(PlayerUrl(Text(1051))), "wmv2\nwmav2\n") << "the run goes on without the camera";
        Click(1010);
    }
    EXPECT_EQ(page->PageState(), 4);
    EXPECT_EQ(LastBroadcast().value("state").toString(), "ended");
}

TEST(LivecastSchedule, TimesCompareAsText) {
    EXPECT_TRUE(CEncoderTaskDlg::TimeReached("2026-12-08 10:00:00", "2026-12-08 10:00:00"));
    EXPECT_TRUE(CEncoderTaskDlg::TimeReached("2026-12-08 10:00:01", "2026-12-08 10:00:00"));
    EXPECT_FALSE(CEncoderTaskDlg::TimeReached("2026-12-08 09:59:59", "2026-12-08 10:00:00"));
    EXPECT_TRUE(CEncoderTaskDlg::TimeReached("2026-12-08 09:59:59", "")) << "an empty time is reached at once";
}

}  // namespace
