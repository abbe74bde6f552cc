// Every Svc* call and castora-soap against a running castora-platform on loopback.
#include <gtest/gtest.h>

#include <QProcess>

#include "client/service/password_digest.h"
#include "client/service/service_calls.h"
#include "signed_out_globals.h"
#include "tests/sim/platform_process.h"

namespace {

class AgainstPlatform : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform_.Start());
        StartSignedOut(QString("http://127.0.0.1:%1/vekservices/ClientService").arg(platform_.port()));
    }

    QString Page() { return QString::fromStdString(platform_.Get("/")); }

    simtest::PlatformProcess platform_;
};

TEST_F(AgainstPlatform, ASignedInOperatorBroadcastsUploadsAndSignsOut) {
    EXPECT_EQ(SvcLogin("demo", PasswordDigest("wrong")), 2);
    EXPECT_TRUE(Globals().cookieHeader.isEmpty());
    ASSERT_EQ(SvcLogin("demo", PasswordDigest("demo123")), 1);
    EXPECT_TRUE(Globals().cookieHeader.startsWith("Cookie: JSESSIONID="));
    EXPECT_TRUE(Globals().cookieHeader.endsWith("\r\n"));
    EXPECT_GT(Globals().cookieHeader.size(), 23);

    ASSERT_TRUE(SvcGetCompany());
    EXPECT_EQ(Globals().companyId, 1001);
    EXPECT_EQ(Globals().account.comName, QStringLiteral("演示传媒有限公司"));
    EXPECT_EQ(Globals().account.loginName, "demo");
    EXPECT_EQ(Globals().account.liveCount, 600);
    EXPECT_EQ(Globals().account.ftpUser, "demo");
    const int liveBefore = Globals().account.liveCount;

    ASSERT_TRUE(SvcGetMediaServerList());
    ASSERT_FALSE(Globals().mediaServers.isEmpty());
    const MediaServerEntry first = Globals().mediaServers.front();

    SelectedServer server;
    server.id = first.id;
    server.mediaName = first.name;
    ASSERT_TRUE(SvcGetSelMediaServer({0, "pal_high", "camera", "microphone", 0}, server));
    EXPECT_EQ(server.code, 0);
    EXPECT_NE(server.liveId, 0);
    EXPECT_FALSE(server.pubPoint.isEmpty());
    EXPECT_FALSE(server.ip.isEmpty());
    EXPECT_FALSE(Globals().playPath.isEmpty());

    EXPECT_EQ(SvcStartLive(server.liveId, 0, "", "", "", "mms://127.0.0.1:9100"), 1);
    QString page = Page();
    EXPECT_TRUE(page.contains(Globals().playPath)) << "the page lists the broadcast and its play path";
    EXPECT_TRUE(page.contains("<td>live</td>"));

    EXPECT_TRUE(SvcStopLive(server.liveId));
    EXPECT_FALSE(SvcStopLive(server.liveId));  // nothing left to stop
    EXPECT_TRUE(Page().contains("<td>ended</td>"));

    ClientService::TVideo video{1, "", 0, "demo", "20261207120000.wmv", "evening-news", 4096};
    EXPECT_TRUE(SvcUploadVideo(video));
    EXPECT_TRUE(Page().contains("evening-news"));

    ASSERT_TRUE(SvcGetCompany());
    EXPECT_LE(Globals().account.liveCount, liveBefore);

    SvcLogOut();
    EXPECT_FALSE(SvcGetCompany()) << "the session ended with logOut";
    EXPECT_EQ(SvcStartLive(server.liveId, 0, "", "", "", "x"), 0);
}

TEST_F(AgainstPlatform, ASingleSessionAccountSignedInElsewhereGetsThree) {
    ASSERT_EQ(SvcLogin("solo", PasswordDigest("solo123")), 1);
    Globals().cookieHeader.clear();  // another PC
    EXPECT_EQ(SvcLogin("solo", PasswordDigest("solo123")), 3);
}

TEST_F(AgainstPlatform, CastoraSoapSignsInAndReadsTheCompany) {
    const QString url = QString("http://127.0.0.1:%1/vekservices/ClientService").arg(platform_.port());
    QProcess tool;
    tool.start(CASTORA_BIN_DIR "/castora-soap",
               {"--url", url, "login", "userName=demo", "passWord=" + PasswordDigest("demo123")});
    ASSERT_TRUE(tool.waitForFinished(20000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    const QString out = QString::fromUtf8(tool.readAllStandardOutput());
    EXPECT_TRUE(out.startsWith("code=1001\nsessionId=")) << out.toStdString();
    const QString sessionId = out.section("sessionId=", 1).trimmed();
    ASSERT_FALSE(sessionId.isEmpty());

    tool.start(CASTORA_BIN_DIR "/castora-soap", {"--url", url, "--cookie", sessionId, "GetMediaServerList"});
    ASSERT_TRUE(tool.waitForFinished(20000));
    EXPECT_EQ(tool.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(tool.readAllStandardOutput()).contains("\n\nid="));  // one block per server

    tool.start(CASTORA_BIN_DIR "/castora-soap", {"--url", url, "getCompany"});  // no session
    ASSERT_TRUE(tool.waitForFinished(20000));
    EXPECT_EQ(tool.exitCode(), 7);
    EXPECT_TRUE(QString::fromUtf8(tool.readAllStandardError()).contains("faultcode="));
}

}  // namespace
