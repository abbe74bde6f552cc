// castora-platform's update folder: what it publishes, what it refuses, and the faults it
// injects into installer downloads on request.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform_process.h"

using simtest::PlatformProcess;

namespace {

class UpdateFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/castora-update-XXXXXX";
    dir = ::mkdtemp(pattern);
    Write("update.txt", "2.0.1.10");
    Write("CastoraSetup.msi", installer);
    Write(".hidden", "secret");
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
  }
  std::vector<std::string> Options(std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"--update-dir", dir};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  std::string dir;
  const std::string installer = std::string(300000, 'x') + "end";
};

TEST_F(UpdateFolder, PublishesPlainFilesOnly) {
  PlatformProcess p(Options());
  ASSERT_TRUE(p.Start());
  int status = 0;
  EXPECT_EQ(p.Get("/update/update.txt", &status), "2.0.1.10");
  EXPECT_EQ(status, 200);
  EXPECT_EQ(p.Get("/update/CastoraSetup.msi", &status), installer);
  for (const char* path : {"/update/.hidden", "/update/missing.msi", "/update/..%2Fupdate.txt", "/update/",
                           "/update/%2E%2E%2F%2E%2E%2Fetc%2Fpasswd"}) {
    p.Get(path, &status);
    EXPECT_EQ(status, 404) << path;
  }
}

TEST_F(UpdateFolder, InstallerFaultsAndAccount) {
  {
    PlatformProcess p(Options({"--update-fault", "status-206"}));
    ASSERT_TRUE(p.Start());
    httplib::Client client("127.0.0.1", p.port());
    auto res = client.Get("/update/CastoraSetup.msi");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 206);
    EXPECT_EQ(res->get_header_value("Content-Range"), "bytes 0-300002/300003");
    EXPECT_EQ(res->body, installer);
    EXPECT_EQ(client.Get("/update/update.txt")->status, 200);  // update.txt is never faulted
  }
  {
    PlatformProcess p(Options({"--update-fault", "drop-half"}));
    ASSERT_TRUE(p.Start());
    httplib::Client client("127.0.0.1", p.port());
    std::string received;
    auto res = client.Get("/update/CastoraSetup.msi", [&](const char* data, size_t size) {
      received.append(data, size);
      return true;
    });
    EXPECT_FALSE(res);  // the connection closed short of the length
    EXPECT_LE(received.size(), installer.size() / 2);
    EXPECT_GE(received.size(), installer.size() / 4);
  }
  {
    PlatformProcess p(Options({"--update-auth", "operator:pw"}));
    ASSERT_TRUE(p.Start());
    httplib::Client client("127.0.0.1", p.port());
    auto refused = client.Get("/update/CastoraSetup.msi");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 401);
    EXPECT_EQ(refused->get_header_value("WWW-Authenticate"), "Basic realm=\"Castora update\"");
    EXPECT_EQ(client.Get("/update/update.txt")->status, 200);
    client.set_basic_auth("operator", "pw");
    EXPECT_EQ(client.Get("/update/CastoraSetup.msi")->body, installer);
    client.set_basic_auth("operator", "wrong");
    EXPECT_EQ(client.Get("/update/CastoraSetup.msi")->status, 401);
  }
}

TEST_F(UpdateFolder, WrongOptionValuesAreRefused) {
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
           {"--update-dir", dir + "/missing"},
           {"--update-dir", dir, "--update-fault", "explode"},
           {"--update-dir", dir, "--update-kbps", "0"},
           {"--update-dir", dir, "--update-auth", "nocolon"},
           {"--update-dir"}}) {
    std::vector<std::string> full = {CASTORA_BIN_DIR "/castora-platform", "--port", "1", "--data", dir};
    full.insert(full.end(), args.begin(), args.end());
    const pid_t pid = ::fork();
    if (pid == 0) {
      std::vector<char*> argv;
      for (auto& a : full) argv.push_back(a.data());
      argv.push_back(nullptr);
      std::freopen("/dev/null", "w", stderr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << args.back();
  }
}

}  // namespace
