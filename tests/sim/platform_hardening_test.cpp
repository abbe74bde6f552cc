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
#include <cerrno>
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

// True when the peer has closed (or reset) the connection; what it sent before is read.
bool ClosedNow(int fd) {
  char buffer[4096];
  for (;;) {
    const ssize_t count = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (count == 0) return true;
    if (count < 0) return errno != EAGAIN && errno != EWOULDBLOCK;
  }
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

// Whole answers off a kept connection, one at a time: the head, then Content-Length
// bytes or chunks up to the last. What arrived of a next answer waits for the next call.
class AnswerReader {
 public:
  explicit AnswerReader(int fd) : fd_(fd) {}

  // Empty when no whole answer arrives within timeoutMs.
  std::string Next(int timeoutMs = 3000) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t size = WholeSize();
    while (size == 0 && Clock::now() < end) {
      pollfd entry{fd_, POLLIN, 0};
      if (::poll(&entry, 1, 20) <= 0) continue;
      char buffer[4096];
      const ssize_t count = ::recv(fd_, buffer, sizeof buffer, 0);
      if (count <= 0) break;
      pending_.append(buffer, static_cast<std::size_t>(count));
      size = WholeSize();
    }
    const std::string answer = pending_.substr(0, size);
    pending_.erase(0, size);
    return answer;
  }

 private:
  int fd_;
  std::string pending_;

  std::size_t WholeSize() const {
    const std::size_t headEnd = pending_.find("\r\n\r\n");
    if (headEnd == std::string::npos) return 0;
    if (pending_.find("Transfer-Encoding: chunked") < headEnd) {
      const std::size_t last = pending_.find("\r\n0\r\n\r\n", headEnd);
      return last == std::string::npos ? 0 : last + 7;
    }
    const std::size_t length = pending_.find("Content-Length: ");
    if (length > headEnd) return headEnd + 4;
    const std::size_t whole = headEnd + 4 + std::stoul(pending_.substr(length + 16));
    return pending_.size() >= whole ? whole : 0;
  }
};

std::string ReadAnswer(int fd) { return AnswerReader(fd).Next(); }

std::string LoginRequest(int port, const std::string& connection) {
  const std::string body = simtest::Envelope(
      "login", "<userName>demo</userName><passWord>" + simtest::Md5Hex("demo123") + "</passWord>");
  return "POST /vekservices/ClientService HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
         "\r\nContent-Type: text/xml\r\nSOAPAction: \"\"\r\n" + connection +
         "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string GetRequest(const std::string& target, const std::string& version = "HTTP/1.1") {
  return "GET " + target + " " + version + "\r\nHost: 127.0.0.1\r\n\r\n";
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
  Send(trickling, "POST /vekservices/ClientService HTTP/1.1\r\nContent-Length: 20\r\n\r\n");
  bool closed = false;
  // One body byte a second keeps each read short; the whole request still has 10 s, and
  // 20 bytes take longer.
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

// A new connection's request is read at once by the thread that will answer it, for a
// short while; what does not come whole and plain in that time goes through the loop.
TEST(PlatformUnderLoad, NewConnectionsAreAnsweredHoweverTheirRequestArrives) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  const std::string login = LoginRequest(p.port(), "");

  // Late, and then in pieces well apart.
  const int late = ConnectTo(p.port());
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  for (std::size_t at = 0; at < login.size(); at += login.size() / 3 + 1) {
    Send(late, login.substr(at, login.size() / 3 + 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  const std::string lateAnswer = ReadAnswer(late);
  EXPECT_EQ(lateAnswer.rfind("HTTP/1.1 200", 0), 0u) << lateAnswer.substr(0, 80);
  EXPECT_NE(lateAnswer.find("<sessionId>"), std::string::npos);
  ::close(late);

  // Two requests in the first send: both answered, in order.
  const int twice = ConnectTo(p.port());
  AnswerReader answers(twice);
  Send(twice, GetRequest("/web/xieyi.jsp") + login);
  EXPECT_NE(answers.Next().find("<html"), std::string::npos);
  EXPECT_NE(answers.Next().find("<sessionId>"), std::string::npos);
  ::close(twice);

  // A body sent only after the interim answer it asks for.
  const std::size_t split = login.find("\r\n\r\n") + 2;
  const int waits = ConnectTo(p.port());
  Send(waits, login.substr(0, split) + "Expect: 100-continue\r\n\r\n");
  EXPECT_EQ(ReadFor(waits, 500).rfind("HTTP/1.1 100 Continue\r\n\r\n", 0), 0u);
  Send(waits, login.substr(split + 2));
  EXPECT_NE(ReadAnswer(waits).find("<sessionId>"), std::string::npos);
  ::close(waits);

  // A head that is no request at all.
  const int garbage = ConnectTo(p.port());
  Send(garbage, "\x16\x03\x01 hello\r\n\r\n");
  EXPECT_EQ(ReadFor(garbage, 1000).rfind("HTTP/1.1 400", 0), 0u);
  EXPECT_TRUE(ClosedWithin(garbage, 1000));
  ::close(garbage);
}

TEST(PlatformKeepAlive, RequestsOnOneConnectionAreAnsweredInTurn) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  const int fd = ConnectTo(p.port());
  AnswerReader answers(fd);
  Send(fd, GetRequest("/vekservices/ClientService?wsdl"));
  const std::string wsdl = answers.Next();
  EXPECT_EQ(wsdl.rfind("HTTP/1.1 200", 0), 0u) << wsdl.substr(0, 80);
  EXPECT_NE(wsdl.find("Connection: keep-alive\r\n"), std::string::npos);
  EXPECT_NE(wsdl.find("definitions"), std::string::npos);
  Send(fd, LoginRequest(p.port(), ""));
  const std::string login = answers.Next();
  EXPECT_EQ(login.rfind("HTTP/1.1 200", 0), 0u) << login.substr(0, 80);
  EXPECT_NE(login.find("<sessionId>"), std::string::npos);

  // Two requests in one send come back as two answers, in their order.
  Send(fd, GetRequest("/web/xieyi.jsp") + GetRequest("/vekservices/ClientService"));
  const std::string first = answers.Next();
  EXPECT_NE(first.find("<html"), std::string::npos);
  EXPECT_EQ(first.find("WSDL"), std::string::npos);
  const std::string second = answers.Next();
  EXPECT_NE(second.find("POST SOAP requests here"), std::string::npos) << second.substr(0, 200);

  // The client's close is honoured and said so.
  Send(fd, LoginRequest(p.port(), "Connection: close\r\n"));
  const std::string last = answers.Next();
  EXPECT_NE(last.find("Connection: close\r\n"), std::string::npos);
  EXPECT_NE(last.find("<sessionId>"), std::string::npos);
  EXPECT_TRUE(ClosedWithin(fd, 1000));
  ::close(fd);

  // HTTP/1.0 keeps only when asked to.
  const int old = ConnectTo(p.port());
  Send(old, GetRequest("/web/index.jsp", "HTTP/1.0"));
  EXPECT_NE(ReadAnswer(old).find("Connection: close\r\n"), std::string::npos);
  EXPECT_TRUE(ClosedWithin(old, 1000));
  ::close(old);
}

TEST(PlatformKeepAlive, ChunkedServiceAnswersKeepTheConnection) {
  PlatformProcess p({"--chunked"});
  ASSERT_TRUE(p.Start());
  const int fd = ConnectTo(p.port());
  for (int i = 0; i < 3; ++i) {
    Send(fd, LoginRequest(p.port(), "Connection: keep-alive\r\n"));
    const std::string answer = ReadAnswer(fd);
    EXPECT_NE(answer.find("Transfer-Encoding: chunked"), std::string::npos) << i;
    EXPECT_NE(answer.find("<sessionId>"), std::string::npos) << i;
    EXPECT_NE(answer.find("Connection: keep-alive\r\n"), std::string::npos) << i;
  }
  ::close(fd);
}

TEST(PlatformKeepAlive, KeptConnectionsWaitWithinDeadlinesAndHoldNoWorker) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  // More kept connections than the front end has workers: half stay silent after
  // their answer, half trickle the next request's head a byte a second.
  std::vector<int> silent, trickling;
  for (auto* list : {&silent, &trickling}) {
    for (int i = 0; i < 20; ++i) {
      list->push_back(ConnectTo(p.port()));
      ASSERT_GE(list->back(), 0);
      Send(list->back(), GetRequest("/web/index.jsp"));
      ASSERT_FALSE(ReadAnswer(list->back()).empty());
    }
  }
  const auto answered = Clock::now();
  auto since = [&answered] { return std::chrono::duration<double>(Clock::now() - answered).count(); };
  std::vector<double> silentClosed(silent.size(), -1), tricklingClosed(trickling.size(), -1);
  const std::string next = "POST /vekservices/ClientService HTTP/1.1\r\nHost: 127.0.0.1\r\n";
  for (std::size_t step = 0; step < 14; ++step) {
    for (int fd : trickling) Send(fd, next.substr(step, 1));
    if (step == 1) {
      EXPECT_LT(LoginSeconds(p), 1.0);
    }
    const auto until = Clock::now() + std::chrono::seconds(1);
    while (Clock::now() < until) {
      for (std::size_t i = 0; i < silent.size(); ++i)
        if (silentClosed[i] < 0 && ClosedNow(silent[i])) silentClosed[i] = since();
      for (std::size_t i = 0; i < trickling.size(); ++i)
        if (tricklingClosed[i] < 0 && ClosedNow(trickling[i])) tricklingClosed[i] = since();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  // Silent ones end after the idle wait; trickling ones after the request deadline,
  // counted from their first byte.
  for (double t : silentClosed) {
    EXPECT_GT(t, 4.5);
    EXPECT_LT(t, 7.0);
  }
  for (double t : tricklingClosed) {
    EXPECT_GT(t, 9.5);
    EXPECT_LT(t, 12.5);
  }
  for (auto* list : {&silent, &trickling})
    for (int fd : *list) ::close(fd);
}

TEST(RequestHeadScan, ForwardsAKeptHeadAndReadsTheLength) {
  EXPECT_FALSE(sim::ScanRequestHead("POST / HTTP/1.1\r\nHost: a\r\n"));
  const auto head = sim::ScanRequestHead(
      "POST /s?x HTTP/1.1\r\nHost: a\r\ncontent-length:  12 \r\nConnection: keep-alive\r\nExpect: 100-continue\r\n\r\nbody");
  ASSERT_TRUE(head);
  EXPECT_FALSE(head->malformed);
  EXPECT_EQ(head->method, "POST");
  EXPECT_EQ(head->target, "/s?x");
  EXPECT_EQ(head->contentLength, 12u);
  EXPECT_TRUE(head->expectsContinue);
  EXPECT_TRUE(head->keepAlive);
  EXPECT_EQ(head->forwardHead, "POST /s?x HTTP/1.1\r\nHost: a\r\ncontent-length:  12 \r\nConnection: Keep-Alive\r\n\r\n");
  EXPECT_EQ(head->headBytes, std::string_view(
      "POST /s?x HTTP/1.1\r\nHost: a\r\ncontent-length:  12 \r\nConnection: keep-alive\r\nExpect: 100-continue\r\n\r\n").size());
  EXPECT_TRUE(sim::ScanRequestHead("GET / HTTP/1.1\r\nTransfer-Encoding: gzip, chunked\r\n\r\n")->chunked);
  EXPECT_FALSE(sim::ScanRequestHead("GET / HTTP/1.1\r\nConnection: Close\r\n\r\n")->keepAlive);
  EXPECT_FALSE(sim::ScanRequestHead("GET / HTTP/1.0\r\n\r\n")->keepAlive);
  EXPECT_TRUE(sim::ScanRequestHead("GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n")->keepAlive);
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
