// The platform's FTP storage: a real FTP server for the companies' accounts, reported
// by getCompany, ended with the platform.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform_process.h"

using simtest::PlatformProcess;

namespace {

int RunCommand(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(FtpStorage, DemoAccountUploadsLandInTheDataFolder) {
  PlatformProcess p({}, true);
  ASSERT_TRUE(p.Start());
  std::string sid = p.Login("demo", "demo123");
  simtest::SoapReply company = p.Call("getCompany", "", sid);
  ASSERT_EQ(company.Field("port"), std::to_string(p.ftpPort()));
  const std::string host = company.Field("ip");
  const std::string user = company.Field("ftpUser");
  const std::string pass = company.Field("ftpPass");
  ASSERT_EQ(host, "127.0.0.1");

  const std::string local = p.dataDir() + "/upload-source.bin";
  std::string content;
  for (int i = 0; i < 300000; ++i) content += static_cast<char>(i * 7);
  std::ofstream(local, std::ios::binary) << content;
  const std::string url = "ftp://" + host + ":" + std::to_string(p.ftpPort()) + "/20261207/clip.wmv";

  EXPECT_EQ(RunCommand("curl -s -S --max-time 20 --ftp-create-dirs -T '" + local + "' --user '" + user + ":" + pass + "' " + url), 0);
  EXPECT_EQ(ReadFile(p.dataDir() + "/storage/demo/20261207/clip.wmv"), content);
  // Active mode too.
  EXPECT_EQ(RunCommand("curl -s -S --max-time 20 -P 127.0.0.1 -T '" + local + "' --user '" + user + ":" + pass + "' " + url + ".2"), 0);
  EXPECT_EQ(ReadFile(p.dataDir() + "/storage/demo/20261207/clip.wmv.2"), content);
  EXPECT_NE(RunCommand("curl -s --max-time 20 -T '" + local + "' --user '" + user + ":wrong' " + url + ".3"), 0);

  // The upload report finds the file in storage.
  p.Call("uploadVideo",
         "<video><isUpload>0</isUpload><kid/><onlyAudio>0</onlyAudio><uploadFolder>20261207</uploadFolder>"
         "<uploadName>clip.wmv</uploadName><videoName>clip.wmv</videoName><videoSize>300000</videoSize></video>",
         sid);
  EXPECT_NE(p.Get("/").find("<td>clip.wmv</td><td>300000</td><td>0</td><td></td><td>yes</td>"), std::string::npos);

  EXPECT_EQ(p.Stop(), 0);
  EXPECT_FALSE(simtest::PortAccepts(p.ftpPort()));  // the FTP child went with the platform
}

TEST(FtpStorage, InterruptEndsPlatformAndFtpServer) {
  PlatformProcess p({}, true);
  ASSERT_TRUE(p.Start());
  ASSERT_TRUE(simtest::PortAccepts(p.ftpPort()));
  EXPECT_EQ(p.Stop(SIGINT), 0);
  EXPECT_FALSE(simtest::PortAccepts(p.ftpPort()));
  EXPECT_FALSE(simtest::PortAccepts(p.port()));
}

TEST(FtpStorage, AnUnreadableStateFileIsKeptAndTheStartRefused) {
  PlatformProcess p;
  const std::string state = p.dataDir() + "/platform-state.json";
  std::ofstream(state) << "{ not json";
  EXPECT_FALSE(p.Start());
  EXPECT_EQ(ReadFile(state), "{ not json");
}
