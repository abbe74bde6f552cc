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

void SetTimeouts(int fd, int sendSeconds, int receiveSeconds) {
  const timeval send{sendSeconds, 0};
  const timeval receive{receiveSeconds, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &send, sizeof send);
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &receive, sizeof receive);
}

void SetBlocking(int fd, bool blocking) {
  const int flags = ::fcntl(fd, F_GETFL);
  ::fcntl(fd, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK);
}

}  // namespace

struct RequestGate::Impl {
  struct Connection {
    std::string received;
    Clock::time_point deadline;
    std::optional<ScannedHead> head;
    bool draining = false;  // answered already; input is discarded until it ends
    bool waiting = false;   // kept open after an answer; no byte of the next request yet
  };
  struct Job {
    int client = -1;
    std::string request;
    bool keepAlive = false;
    std::string following;  // bytes of the client's next request, sent along with this one
  };
  // A client connection whose answer went out and that stays open for its next request.
  struct Kept {
    int client = -1;
    std::string following;
  };

  Limits limits;
  Answer answer;
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
  std::vector<std::thread> workers;

  std::mutex keptLock;
  std::vector<Kept> kept;

  Impl(Limits l, Answer a, TooLargeAnswer tooLargeAnswer)
      : limits(l), answer(std::move(a)), tooLarge(std::move(tooLargeAnswer)) {}

  void Accept();
  bool Watch(int fd, std::string received, Clock::time_point deadline, bool waiting);
  void Read(int fd);
  void Consume(int fd);
  void SetDeadline(int fd, Connection& c, Clock::time_point deadline);
  void Close(int fd);
  void Release(int fd);  // leaves the loop's care, stays open
  void ExpireDeadlines();
  int MillisecondsToNextDeadline() const;
  void TakeBackKept();
  bool Serve(const Job& job);
  void WorkLoop();
};

RequestGate::RequestGate(Limits limits, Answer answer, TooLargeAnswer tooLarge)
    : impl_(std::make_unique<Impl>(limits, std::move(answer), std::move(tooLarge))) {}

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
  for (int i = 0; i < g.limits.workers; ++i) g.workers.emplace_back([&g] { g.WorkLoop(); });
  std::vector<epoll_event> events(256);
  while (!g.stopping) {
    const int ready = ::epoll_wait(g.epoll, events.data(), static_cast<int>(events.size()), g.MillisecondsToNextDeadline());
    for (int i = 0; i < ready; ++i) {
      const int fd = events[static_cast<std::size_t>(i)].data.fd;
      if (fd == g.listener) {
        g.Accept();
      } else if (fd == g.wake) {
        g.TakeBackKept();
      } else {
        g.Read(fd);
      }
    }
    g.ExpireDeadlines();
  }
  g.jobsReady.notify_all();
  for (auto& thread : g.workers) thread.join();
  g.workers.clear();
  for (const auto& job : g.jobs) ::close(job.client);
  g.jobs.clear();
  for (const auto& k : g.kept) ::close(k.client);
  g.kept.clear();
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
    if (connections.size() >= static_cast<std::size_t>(limits.maxConnections) ||
        !Watch(fd, {}, Clock::now() + std::chrono::milliseconds(limits.requestDeadlineMs), false)) {
      ::close(fd);
      continue;
    }
    // A client usually sends its request right behind the handshake: read it now
    // rather than after another wait for events.
    Read(fd);
  }
}

// Puts a connection in the loop's care; false when epoll refuses it.
bool RequestGate::Impl::Watch(int fd, std::string received, Clock::time_point deadline, bool waiting) {
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.fd = fd;
  if (::epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &event) != 0) return false;
  Connection& connection = connections[fd];
  connection.received = std::move(received);
  connection.deadline = deadline;
  connection.waiting = waiting;
  deadlines.emplace(deadline, fd);
  return true;
}

void RequestGate::Impl::SetDeadline(int fd, Connection& c, Clock::time_point deadline) {
  deadlines.erase({c.deadline, fd});
  c.deadline = deadline;
  deadlines.emplace(deadline, fd);
}

// Kept connections handed back by the workers: the loop watches them again, and
// what they had sent already of a next request is looked at at once.
void RequestGate::Impl::TakeBackKept() {
  std::uint64_t count = 0;
  if (::read(wake, &count, sizeof count) < 0) {
    // Nothing was signalled; the list is looked at anyway.
  }
  std::vector<Kept> back;
  {
    std::lock_guard lock(keptLock);
    back.swap(kept);
  }
  const auto now = Clock::now();
  for (auto& k : back) {
    SetBlocking(k.client, false);
    const bool waiting = k.following.empty();
    const auto deadline = now + std::chrono::milliseconds(waiting ? limits.keepAliveIdleMs : limits.requestDeadlineMs);
    if (connections.size() >= static_cast<std::size_t>(limits.maxConnections) ||
        !Watch(k.client, std::move(k.following), deadline, waiting)) {
      ::close(k.client);
      continue;
    }
    if (!waiting) Consume(k.client);
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
  if (c.waiting) {
    // The next request has begun: it has the whole request deadline from now.
    c.waiting = false;
    SetDeadline(fd, c, Clock::now() + std::chrono::milliseconds(limits.requestDeadlineMs));
  }
  c.received.append(buffer, static_cast<std::size_t>(count));
  Consume(fd);
}

// Looks at what a connection has sent: answers a bad or oversized head, or passes a
// whole request on.
void RequestGate::Impl::Consume(int fd) {
  Connection& c = connections[fd];
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
  Job job{fd, c.head->forwardHead + c.received.substr(c.head->headBytes, c.head->contentLength), c.head->keepAlive,
          c.received.substr(whole)};
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

void RequestGate::Impl::WorkLoop() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(jobsLock);
      jobsReady.wait(lock, [this] { return stopping || !jobs.empty(); });
      if (stopping) return;
      job = std::move(jobs.front());
      jobs.pop_front();
    }
    if (!Serve(job) || stopping) {
      ::close(job.client);
      continue;
    }
    {
      std::lock_guard lock(keptLock);
      kept.push_back({job.client, std::move(job.following)});
    }
    const std::uint64_t one = 1;
    if (::write(wake, &one, sizeof one) < 0) {
      // The counter is full only with wakes pending; the loop reads the list then.
    }
  }
}

// Answers a request; true when the client's connection stays.
bool RequestGate::Impl::Serve(const Job& job) {
  SetBlocking(job.client, true);
  SetTimeouts(job.client, kSendTimeoutS, kSendTimeoutS);
  const int yes = 1;
  ::setsockopt(job.client, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  return answer(job.client, job.request, job.keepAlive && !stopping);
}

}  // namespace sim
