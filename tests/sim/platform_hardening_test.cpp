// castora-platform under attack from a local host: idle, slow and oversized requests
// must not stop a login; the data folder is its owner's alone and holds no password
// digest; the FTP child is Debian's Python whatever the environment says.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform_process.h"
#include "sim/request_head_scan.h"
#include "sim/seed_data.h"
#include "sim/state_file.h"

using simtest::PlatformProcess;

namespace {

using Clock = std::chrono::steady_clock;

int ConnectTo(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void Send(int fd, const std::string& bytes) { (void)!::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

// What arrives within timeoutMs, up to the peer's close.
std::string ReadFor(int fd, int timeoutMs) {
  std::string got;
  const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (Clock::now() < end) {
    pollfd entry{fd, POLLIN, 20};
    if (::poll(&entry, 1, 20) <= 0) continue;
    char buffer[4096];
    const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
    if (count <= 0) break;
    got.append(buffer, static_cast<std::size_t>(count));
  }
  return got;
}

// True when the peer has closed (or reset) the connection within timeoutMs.
bool ClosedWithin(int fd, int timeoutMs) {
  const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (Clock::now() < end) {
    pollfd entry{fd, POLLIN, 0};
    if (::poll(&entry, 1, 20) <= 0) continue;
    char buffer[4096];
    if (::recv(fd, buffer, sizeof buffer, 0) <= 0) return true;
  }
  return false;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

unsigned Mode(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

double LoginSeconds(PlatformProcess& p) {
  const auto start = Clock::now();
  EXPECT_FALSE(p.Login("demo", "demo123").empty());
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

TEST(PlatformUnderLoad, LoginsAreAnsweredBesideAThousandIdleAndSlowConnections) {
  rlimit files{};
  ::getrlimit(RLIMIT_NOFILE, &files);
  files.rlim_cur = files.rlim_max;
  ::setrlimit(RLIMIT_NOFILE, &files);
  ASSERT_GE(files.rlim_cur, 1200u);

  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  EXPECT_LT(LoginSeconds(p), 1.0);  // the first pays for the password hash

  std::vector<int> idle, slow, huge;
  for (int i = 0; i < 500; ++i) idle.push_back(ConnectTo(p.port()));
  for (int i = 0; i < 488; ++i) {
    slow.push_back(ConnectTo(p.port()));
    Send(slow.back(), "POST /vekservices/ClientService HTTP/1.1\r\nHost: 127.0.0.1\r\n");
  }
  for (int i = 0; i < 12; ++i) {
    huge.push_back(ConnectTo(p.port()));
    Send(huge.back(), "POST /vekservices/ClientService HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 104857600\r\n\r\n" +
                          std::string(1000, '<'));
  }
  for (int fd : idle) ASSERT_GE(fd, 0);
  for (int fd : slow) ASSERT_GE(fd, 0);
  std::atomic<bool> done{false};
  std::thread trickle([&] {
    // Each slow client sends one more header byte every 300 ms.
    while (!done) {
      for (int fd : slow) Send(fd, "X");
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
  });

  for (int round = 0; round < 5; ++round) {
    EXPECT_LT(LoginSeconds(p), 1.0) << "round " << round;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  // The 100 MB bodies were refused at their head, with a fault.
  for (int fd : huge) {
    const std::string answer = ReadFor(fd, 1000);
    EXPECT_EQ(answer.rfind("HTTP/1.1 500", 0), 0u) << answer.substr(0, 80);
    EXPECT_NE(answer.find("the request body is too large"), std::string::npos);
  }
  done = true;
  trickle.join();
  for (auto* list : {&idle, &slow, &huge})
    for (int fd : *list) ::close(fd);
}

TEST(PlatformUnderLoad, ARequestHeadAndBodyMustArriveWithinTheDeadline) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  const int silent = ConnectTo(p.port());
  const int trickling = ConnectTo(p.port());
  const auto start = Clock::now();
  Send(trickling, "POST /vekservices/ClientService HTTP/1.1\r\nContent-Length: 10\r\n\r\n");
  bool closed = false;
  // One body byte a second keeps each read short; the whole request still has 10 s.
  for (int i = 0; i < 14 && !closed; ++i) {
    Send(trickling, "<");
    closed = ClosedWithin(trickling, 1000);
  }
  const double waited = std::chrono::duration<double>(Clock::now() - start).count();
  EXPECT_TRUE(closed);
  EXPECT_GT(waited, 9.0);
  EXPECT_LT(waited, 12.0);
  EXPECT_TRUE(ClosedWithin(silent, 1000));
  ::close(silent);
  ::close(trickling);
}

TEST(RequestHeadScan, ForwardsAClosingHeadAndReadsTheLength) {
  EXPECT_FALSE(sim::ScanRequestHead("POST / HTTP/1.1\r\nHost: a\r\n"));
  const auto head = sim::ScanRequestHead(
      "POST /s?x HTTP/1.1\r\nHost: a\r\ncontent-length:  12 \r\nConnection: keep-alive\r\nExpect: 100-continue\r\n\r\nbody");
  ASSERT_TRUE(head);
  EXPECT_FALSE(head->malformed);
  EXPECT_EQ(head->method, "POST");
  EXPECT_EQ(head->target, "/s?x");
  EXPECT_EQ(head->contentLength, 12u);
  EXPECT_TRUE(head->expectsContinue);
  EXPECT_EQ(head->forwardHead, "POST /s?x HTTP/1.1\r\nHost: a\r\ncontent-length:  12 \r\nConnection: close\r\n\r\n");
  EXPECT_EQ(head->headBytes, std::string_view(
      "POST /s?x HTTP/1.1\r\nHost: a\r\ncontent-length:  12 \r\nConnection: keep-alive\r\nExpect: 100-continue\r\n\r\n").size());
  EXPECT_TRUE(sim::ScanRequestHead("GET / HTTP/1.1\r\nTransfer-Encoding: gzip, chunked\r\n\r\n")->chunked);
  for (const char* bad : {"SSH-2.0-OpenSSH\r\n\r\n", "POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n",
                          "POST / HTTP/1.1\r\nContent-Length: 99999999999999999999\r\n\r\n", " / HTTP/1.1\r\n\r\n"})
    EXPECT_TRUE(sim::ScanRequestHead(bad)->malformed) << bad;
}

TEST(PlatformData, FolderAndFilesAreTheOwnersAndHoldOnlySaltedHashes) {
  PlatformProcess p({}, true);
  // A state file of an earlier version: plain digests, readable by everyone.
  const std::string state = p.dataDir() + "/platform-state.json";
  std::string error;
  ASSERT_TRUE(sim::SaveState(state, sim::SeedState(), error)) << error;
  ::chmod(state.c_str(), 0644);
  ::chmod(p.dataDir().c_str(), 0755);
  ASSERT_NE(ReadFile(state).find(simtest::Md5Hex("demo123")), std::string::npos);

  ASSERT_TRUE(p.Start());
  EXPECT_FALSE(p.Login("demo", "demo123").empty());
  EXPECT_TRUE(p.Login("demo", "wrong").empty());
  EXPECT_FALSE(p.Login("solo", "solo123").empty());

  EXPECT_EQ(Mode(p.dataDir()), 0700u);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(p.dataDir())) {
    if (entry.is_symlink()) continue;
    EXPECT_EQ(Mode(entry.path().string()), entry.is_directory() ? 0700u : 0600u) << entry.path();
  }
  const std::string saved = ReadFile(state);
  EXPECT_EQ(saved.find(simtest::Md5Hex("demo123")), std::string::npos);
  EXPECT_EQ(saved.find(simtest::Md5Hex("solo123")), std::string::npos);
  EXPECT_NE(saved.find("\"passwordHash\": \"pbkdf2-sha256$"), std::string::npos);

  // Restarted on the converted file, the same passwords still sign in.
  p.Stop();
  ASSERT_TRUE(p.Start());
  EXPECT_FALSE(p.Login("demo", "demo123").empty());
  EXPECT_TRUE(p.Login("demo", "demo12").empty());
}

TEST(PlatformData, FtpStorageStartsWithDebiansPythonWhateverTheEnvironment) {
  // A Python earlier on PATH, and a PYTHONPATH whose pyftpdlib is broken.
  char pattern[] = "/tmp/castora-python-XXXXXX";
  const std::string dir = ::mkdtemp(pattern);
  std::filesystem::create_directories(dir + "/bin");
  std::filesystem::create_directories(dir + "/lib/pyftpdlib");
  std::ofstream(dir + "/bin/python3") << "#!/bin/sh\nexit 1\n";
  ::chmod((dir + "/bin/python3").c_str(), 0755);
  std::ofstream(dir + "/lib/pyftpdlib/__init__.py") << "raise ImportError('not this one')\n";
  const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  ::setenv("PATH", (dir + "/bin:" + oldPath).c_str(), 1);
  ::setenv("PYTHONPATH", (dir + "/lib").c_str(), 1);
  PlatformProcess p({}, true);
  const bool started = p.Start();
  ::setenv("PATH", oldPath.c_str(), 1);
  ::unsetenv("PYTHONPATH");
  ASSERT_TRUE(started) << ReadFile(p.dataDir() + "/platform.log");
  EXPECT_TRUE(simtest::PortAccepts(p.ftpPort()));
  std::filesystem::remove_all(dir);
}
