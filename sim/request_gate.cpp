#include "sim/request_gate.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <unordered_map>
#include <vector>

#include "sim/request_head_scan.h"

namespace sim {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSendTimeoutS = 10;
constexpr int kBackendAnswerTimeoutS = 60;
constexpr std::size_t kReadBytes = 64 * 1024;

std::string Plain(int status, const char* reason) {
  return "HTTP/1.1 " + std::to_string(status) + " " + reason +
         "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
}

// Best effort on a non-blocking socket: small answers fit the socket's buffer.
void SendNow(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t sent = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (sent <= 0) return;
    done += static_cast<std::size_t>(sent);
  }
}

bool SendAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

void SetTimeouts(int fd, int sendSeconds, int receiveSeconds) {
  const timeval send{sendSeconds, 0};
  const timeval receive{receiveSeconds, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &send, sizeof send);
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &receive, sizeof receive);
}

}  // namespace

struct RequestGate::Impl {
  struct Connection {
    std::string received;
    Clock::time_point deadline;
    std::optional<ScannedHead> head;
    bool draining = false;  // answered already; input is discarded until it ends
  };
  struct Job {
    int client = -1;
    std::string request;
  };

  Limits limits;
  int backendPort;
  TooLargeAnswer tooLarge;
  int listener = -1;
  int epoll = -1;
  int wake = -1;
  std::atomic<bool> stopping{false};

  std::unordered_map<int, Connection> connections;
  std::set<std::pair<Clock::time_point, int>> deadlines;

  std::mutex jobsLock;
  std::condition_variable jobsReady;
  std::deque<Job> jobs;
  std::vector<std::thread> forwarders;

  void Accept();
  void Read(int fd);
  void Close(int fd);
  void Release(int fd);  // leaves the loop's care, stays open
  void ExpireDeadlines();
  int MillisecondsToNextDeadline() const;
  void Forward(const Job& job) const;
  void ForwardLoop();
};

RequestGate::RequestGate(Limits limits, int backendPort, TooLargeAnswer tooLarge) : impl_(std::make_unique<Impl>()) {
  impl_->limits = limits;
  impl_->backendPort = backendPort;
  impl_->tooLarge = std::move(tooLarge);
}

RequestGate::~RequestGate() {
  for (auto& [fd, connection] : impl_->connections) ::close(fd);
  if (impl_->listener >= 0) ::close(impl_->listener);
  if (impl_->epoll >= 0) ::close(impl_->epoll);
  if (impl_->wake >= 0) ::close(impl_->wake);
}

bool RequestGate::Bind(const std::string& host, int port, std::string& error) {
  Impl& g = *impl_;
  g.listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  const int yes = 1;
  ::setsockopt(g.listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  if (g.listener < 0 || ::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1 ||
      ::bind(g.listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(g.listener, 1024) != 0) {
    error = "cannot listen on " + host + ":" + std::to_string(port);
    return false;
  }
  g.epoll = ::epoll_create1(EPOLL_CLOEXEC);
  g.wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  for (int fd : {g.listener, g.wake}) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    ::epoll_ctl(g.epoll, EPOLL_CTL_ADD, fd, &event);
  }
  return true;
}

void RequestGate::Stop() {
  impl_->stopping = true;
  const std::uint64_t one = 1;
  if (impl_->wake >= 0 && ::write(impl_->wake, &one, sizeof one) < 0) {
    // The loop also looks at the flag on every deadline; nothing more to do.
  }
  impl_->jobsReady.notify_all();
}

void RequestGate::Run() {
  Impl& g = *impl_;
  for (int i = 0; i < g.limits.forwarders; ++i) g.forwarders.emplace_back([&g] { g.ForwardLoop(); });
  std::vector<epoll_event> events(256);
  while (!g.stopping) {
    const int ready = ::epoll_wait(g.epoll, events.data(), static_cast<int>(events.size()), g.MillisecondsToNextDeadline());
    for (int i = 0; i < ready; ++i) {
      const int fd = events[static_cast<std::size_t>(i)].data.fd;
      if (fd == g.listener) {
        g.Accept();
      } else if (fd != g.wake) {
        g.Read(fd);
      }
    }
    g.ExpireDeadlines();
  }
  g.jobsReady.notify_all();
  for (auto& thread : g.forwarders) thread.join();
  g.forwarders.clear();
  for (const auto& job : g.jobs) ::close(job.client);
  g.jobs.clear();
}

int RequestGate::Impl::MillisecondsToNextDeadline() const {
  if (deadlines.empty()) return 1000;  // the stop flag is looked at now and then anyway
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadlines.begin()->first - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left + 1, 0, 1000));
}

void RequestGate::Impl::Accept() {
  for (;;) {
    const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;  // EAGAIN: all taken; anything else (EMFILE): try on the next event
    if (connections.size() >= static_cast<std::size_t>(limits.maxConnections)) {
      ::close(fd);
      continue;
    }
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    if (::epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &event) != 0) {
      ::close(fd);
      continue;
    }
    Connection& connection = connections[fd];
    connection.deadline = Clock::now() + std::chrono::milliseconds(limits.requestDeadlineMs);
    deadlines.emplace(connection.deadline, fd);
  }
}

void RequestGate::Impl::Read(int fd) {
  auto found = connections.find(fd);
  if (found == connections.end()) return;
  Connection& c = found->second;
  char buffer[kReadBytes];
  const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
  if (count < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (count <= 0) {
    Close(fd);
    return;
  }
  if (c.draining) return;
  c.received.append(buffer, static_cast<std::size_t>(count));
  if (!c.head) {
    c.head = ScanRequestHead(c.received);
    if (!c.head) {
      if (c.received.size() > limits.maxHeadBytes) {
        SendNow(fd, Plain(431, "Request Header Fields Too Large"));
        Close(fd);
      }
      return;
    }
    if (c.head->malformed || c.head->headBytes > limits.maxHeadBytes) {
      SendNow(fd, Plain(400, "Bad Request"));
      Close(fd);
      return;
    }
    if (c.head->chunked) {
      SendNow(fd, Plain(411, "Length Required"));
      Close(fd);
      return;
    }
    if (c.head->contentLength > limits.maxBodyBytes) {
      // Answered before the body is read; what the client still sends is discarded
      // until the deadline, so it can read the answer instead of meeting a reset.
      SendNow(fd, tooLarge(c.head->method, c.head->target));
      ::shutdown(fd, SHUT_WR);
      c.draining = true;
      c.received.clear();
      c.received.shrink_to_fit();
      return;
    }
    if (c.head->expectsContinue && c.received.size() < c.head->headBytes + c.head->contentLength)
      SendNow(fd, "HTTP/1.1 100 Continue\r\n\r\n");
  }
  const std::size_t whole = c.head->headBytes + c.head->contentLength;
  if (c.received.size() < whole) return;
  Job job{fd, c.head->forwardHead + c.received.substr(c.head->headBytes, c.head->contentLength)};
  Release(fd);
  {
    std::lock_guard lock(jobsLock);
    jobs.push_back(std::move(job));
  }
  jobsReady.notify_one();
}

void RequestGate::Impl::Release(int fd) {
  auto found = connections.find(fd);
  if (found == connections.end()) return;
  ::epoll_ctl(epoll, EPOLL_CTL_DEL, fd, nullptr);
  deadlines.erase({found->second.deadline, fd});
  connections.erase(found);
}

void RequestGate::Impl::Close(int fd) {
  Release(fd);
  ::close(fd);
}

void RequestGate::Impl::ExpireDeadlines() {
  const auto now = Clock::now();
  while (!deadlines.empty() && deadlines.begin()->first <= now) {
    const int fd = deadlines.begin()->second;
    const Connection& c = connections[fd];
    if (!c.draining && !c.received.empty()) SendNow(fd, Plain(408, "Request Timeout"));
    Close(fd);
  }
}

void RequestGate::Impl::ForwardLoop() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(jobsLock);
      jobsReady.wait(lock, [this] { return stopping || !jobs.empty(); });
      if (stopping) return;
      job = std::move(jobs.front());
      jobs.pop_front();
    }
    Forward(job);
    ::close(job.client);
  }
}

void RequestGate::Impl::Forward(const Job& job) const {
  ::fcntl(job.client, F_SETFL, ::fcntl(job.client, F_GETFL) & ~O_NONBLOCK);
  SetTimeouts(job.client, kSendTimeoutS, kSendTimeoutS);
  const int backend = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(backendPort));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (backend < 0 || ::connect(backend, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    SendNow(job.client, Plain(503, "Service Unavailable"));
    if (backend >= 0) ::close(backend);
    return;
  }
  const int yes = 1;
  ::setsockopt(backend, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  ::setsockopt(job.client, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  SetTimeouts(backend, kSendTimeoutS, kBackendAnswerTimeoutS);
  if (SendAll(backend, job.request.data(), job.request.size())) {
    char buffer[kReadBytes];
    for (;;) {
      const ssize_t count = ::recv(backend, buffer, sizeof buffer, 0);
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0 || !SendAll(job.client, buffer, static_cast<std::size_t>(count))) break;
    }
  }
  ::close(backend);
}

}  // namespace sim
