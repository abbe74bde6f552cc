// The desktop client's operations against a running castora-platform.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform_process.h"

using simtest::PlatformProcess;
using simtest::SoapReply;

namespace {

std::string Long(const char* name, long long v) {
  return std::string("<") + name + ">" + std::to_string(v) + "</" + name + ">";
}

SoapReply SelectServer(PlatformProcess& p, const std::string& sid, int serverId, int isDrm) {
  return p.Call("GetSelMediaServerList",
                Long("id", serverId) + "<type>0</type><profile>视频中质量（256K）</profile>"
                "<videoDevice>cam</videoDevice><audioDevice>mic</audioDevice>" + Long("isDrm", isDrm),
                sid);
}

SoapReply StartLive(PlatformProcess& p, const std::string& sid, const std::string& liveId) {
  return p.Call("startLive",
                "<liveId>" + liveId + "</liveId><publicKey/><seed/><kid/><isDrm>0</isDrm>"
                "<playUrl>mms://10.1.2.3:9100</playUrl><userIp>10.1.2.3</userIp>",
                sid);
}

long long CompanyField(PlatformProcess& p, const std::string& sid, const std::string& field) {
  SoapReply r = p.Call("getCompany", "", sid);
  EXPECT_EQ(r.status, 200) << r.body;
  return std::stoll(r.Field(field));
}

}  // namespace

TEST(ClientOperations, LoginCodesAndSingleSession) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());

  SoapReply ok = p.Call("login", "<userName>demo</userName><passWord>" + simtest::Md5Hex("demo123") + "</passWord>");
  EXPECT_EQ(ok.status, 200);
  EXPECT_EQ(ok.Field("code"), "1001");
  EXPECT_EQ(ok.Field("sessionId").size(), 32u);
  EXPECT_NE(ok.setCookie.find("JSESSIONID=" + ok.Field("sessionId")), std::string::npos);
  EXPECT_NE(ok.body.find("<loginResponse xmlns=\"http://service.castora.com\">"), std::string::npos);

  SoapReply wrong = p.Call("login", "<userName>demo</userName><passWord>" + simtest::Md5Hex("demo124") + "</passWord>");
  EXPECT_EQ(wrong.Field("code"), "0");
  EXPECT_EQ(wrong.Field("sessionId"), "<nil>");
  SoapReply unknown = p.Call("login", "<userName>nobody</userName><passWord>x</passWord>");
  EXPECT_EQ(unknown.Field("code"), "0");

  // The digest is accepted in either case of hexadecimal letters.
  std::string upper = simtest::Md5Hex("empty123");
  for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(p.Call("login", "<userName>empty</userName><passWord>" + upper + "</passWord>").Field("code"), "1002");

  std::string solo = p.Login("solo", "solo123");
  ASSERT_FALSE(solo.empty());
  EXPECT_EQ(p.Call("login", "<userName>solo</userName><passWord>" + simtest::Md5Hex("solo123") + "</passWord>")
                .Field("code"),
            "-1");
  // Signing in again from its own session replaces that session.
  SoapReply again = p.Call("login", "<userName>solo</userName><passWord>" + simtest::Md5Hex("solo123") + "</passWord>", solo);
  EXPECT_EQ(again.Field("code"), "1003");
  std::string current = again.Field("sessionId");
  EXPECT_EQ(p.Call("getCompany", "", solo).FaultCode(), "Client");
  EXPECT_EQ(p.Call("logOut", "", current).status, 200);
  EXPECT_FALSE(p.Login("solo", "solo123").empty());
  // Accounts without the mark may sign in many times.
  EXPECT_FALSE(p.Login("demo", "demo123").empty());
}

TEST(ClientOperations, OperationsNeedAValidSession) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  SoapReply none = p.Call("getCompany", "");
  EXPECT_EQ(none.status, 500);
  EXPECT_EQ(none.FaultCode(), "Client");
  EXPECT_EQ(p.Call("GetMediaServerList", "", "0123456789ABCDEF0123456789ABCDEF").FaultCode(), "Client");

  std::string sid = p.Login("demo", "demo123");
  SoapReply company = p.Call("getCompany", "", sid);
  ASSERT_EQ(company.status, 200) << company.body;
  EXPECT_EQ(company.Field("comName"), "演示传媒有限公司");
  EXPECT_EQ(company.Field("liveCount"), "600");
  EXPECT_EQ(company.Field("ftpUser"), "demo");
  EXPECT_EQ(company.Field("ip"), "127.0.0.1");
  // Every field of the company record is answered, in the record's order.
  ASSERT_NE(company.Return(), nullptr);
  EXPECT_EQ(company.Return()->children.size(), 23u);
  EXPECT_EQ(company.Return()->children.front().name, "comName");
  EXPECT_EQ(company.Return()->children.back().name, "vodCount");

  SoapReply servers = p.Call("GetMediaServerList", "", sid);
  ASSERT_NE(servers.Return(), nullptr);
  ASSERT_EQ(servers.Return()->children.size(), 2u);
  EXPECT_EQ(servers.Return()->children[1].Child("mediaName")->text, "媒体服务器二");

  EXPECT_EQ(p.Call("logOut", "", sid).status, 200);
  EXPECT_EQ(p.Call("getCompany", "", sid).FaultCode(), "Client");
}

TEST(ClientOperations, PublishingPointsAreAllocatedUntilExhaustedAndFreedByStop) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  std::string sid = p.Login("demo", "demo123");

  SoapReply first = SelectServer(p, sid, 2, 0);
  ASSERT_EQ(first.status, 200) << first.body;
  EXPECT_EQ(first.Field("code"), "0");
  EXPECT_EQ(first.Field("pubPoint"), "live");
  EXPECT_EQ(first.Field("playPath"), "mms://127.0.0.1:8092/live");
  EXPECT_EQ(first.Field("serverUser"), "push");
  EXPECT_EQ(first.Field("licSrvCert"), "<nil>");
  const std::string liveId = first.Field("liveId");
  EXPECT_NE(liveId, "0");

  SoapReply full = SelectServer(p, sid, 2, 0);
  EXPECT_EQ(full.Field("code"), "1");
  EXPECT_EQ(full.Field("playPath"), "<nil>");

  EXPECT_EQ(p.Call("stopLive", "<id>" + liveId + "</id>", sid).ReturnText(), "true");
  EXPECT_EQ(SelectServer(p, sid, 2, 0).Field("code"), "0");

  // DRM material comes only when asked for; the key id and seed are the encoder's to make.
  SoapReply drm = SelectServer(p, sid, 1, 1);
  EXPECT_EQ(drm.Field("code"), "0");
  for (const char* f : {"licSrvCert", "rootCert", "privateKey", "signedPublicKey", "loginUrl", "publicKey"})
    EXPECT_NE(drm.Field(f), "<nil>") << f;
  for (const char* f : {"kid", "seed"}) EXPECT_EQ(drm.Field(f), "<nil>") << f;

  EXPECT_EQ(SelectServer(p, sid, 99, 0).FaultCode(), "Client");
  std::string empty = p.Login("empty", "empty123");
  EXPECT_EQ(SelectServer(p, empty, 1, 0).FaultCode(), "Client");
}

TEST(ClientOperations, LiveBalanceFallsPerStartedMinute) {
  PlatformProcess p({"--live-minute-ms", "1000"});
  ASSERT_TRUE(p.Start());
  std::string sid = p.Login("demo", "demo123");

  SoapReply sel = SelectServer(p, sid, 1, 0);
  const std::string liveId = sel.Field("liveId");
  EXPECT_EQ(CompanyField(p, sid, "liveCount"), 600);  // a handed-out point costs nothing
  SoapReply started = StartLive(p, sid, liveId);
  EXPECT_EQ(started.ReturnText(), "true");
  EXPECT_EQ(CompanyField(p, sid, "liveCount"), 599);  // the first minute is charged when it starts
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  long long running = CompanyField(p, sid, "liveCount");
  EXPECT_LE(running, 597);  // at least three minutes started
  EXPECT_GE(running, 595);  // and not many more, allowing for a slow machine

  SoapReply stopped = p.Call("stopLive", "<id>" + liveId + "</id>", sid);
  EXPECT_EQ(stopped.ReturnText(), "true");
  long long after = CompanyField(p, sid, "liveCount");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(CompanyField(p, sid, "liveCount"), after);
  EXPECT_EQ(p.Call("stopLive", "<id>" + liveId + "</id>", sid).ReturnText(), "false");
  // A start for a point never handed out fails.
  EXPECT_EQ(StartLive(p, sid, "424242").ReturnText(), "false");

  // Broadcasting from the PC only (live id 0) is recorded and never billed.
  std::string empty = p.Login("empty", "empty123");
  EXPECT_EQ(StartLive(p, empty, "0").ReturnText(), "true");
  EXPECT_EQ(p.Call("stopLive", "<id>0</id>", empty).ReturnText(), "true");
  EXPECT_EQ(CompanyField(p, empty, "liveCount"), 0);

  std::string page = p.Get("/");
  EXPECT_NE(page.find("mms://127.0.0.1:8091/live1"), std::string::npos);
  EXPECT_NE(page.find("mms://10.1.2.3:9100"), std::string::npos);
  EXPECT_NE(page.find("this PC only"), std::string::npos);
}

TEST(ClientOperations, UploadVideoLowersFreeSpaceAndSurvivesRestart) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  std::string sid = p.Login("demo", "demo123");
  // The file as the FTP upload leaves it in the company's storage.
  std::filesystem::create_directories(p.dataDir() + "/storage/demo/20261207");
  std::ofstream(p.dataDir() + "/storage/demo/20261207/2026120712000012345.wmv") << std::string(5000, 'x');

  const std::string video =
      "<video><isUpload>0</isUpload><kid></kid><onlyAudio>0</onlyAudio><uploadFolder>20261207</uploadFolder>"
      "<uploadName>2026120712000012345.wmv</uploadName><videoName>会议录像.wmv</videoName>"
      "<videoSize>5000</videoSize></video>";
  SoapReply up = p.Call("uploadVideo", video, sid);
  ASSERT_EQ(up.status, 200) << up.body;
  EXPECT_EQ(up.ReturnText(), "true");
  EXPECT_EQ(CompanyField(p, sid, "freeSpace"), 10LL * 1024 * 1024 - 5);  // KiB, rounded up

  // No on-demand balance: refused, nothing recorded.
  std::string empty = p.Login("empty", "empty123");
  EXPECT_EQ(p.Call("uploadVideo", video, empty).ReturnText(), "false");
  EXPECT_EQ(CompanyField(p, empty, "freeSpace"), 1024 * 1024);

  std::string liveId = SelectServer(p, sid, 2, 0).Field("liveId");
  ASSERT_EQ(p.Stop(), 0);
  ASSERT_TRUE(p.Start());

  sid = p.Login("demo", "demo123");
  EXPECT_EQ(CompanyField(p, sid, "freeSpace"), 10LL * 1024 * 1024 - 5);
  EXPECT_EQ(SelectServer(p, sid, 2, 0).Field("code"), "1");  // the point is still held
  std::string page = p.Get("/");
  EXPECT_NE(page.find("会议录像.wmv"), std::string::npos);
  EXPECT_NE(page.find("<td>yes</td>"), std::string::npos);  // found in storage
  EXPECT_NE(page.find("live " + liveId), std::string::npos);
}
