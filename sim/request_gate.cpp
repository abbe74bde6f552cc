#include "sim/request_gate.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
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
#include <utility>
#include <vector>

#include "sim/request_head_scan.h"

namespace sim {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSendTimeoutS = 10;
constexpr std::size_t kReadBytes = 64 * 1024;
// How long a thread that took a new connection aside, or answered a kept one, waits for
// its next request before the connection goes to the loop like any other.
constexpr std::chrono::milliseconds kDirectWait{50};

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

void SetBlocking(int fd, bool blocking) {
  int nonBlocking = blocking ? 0 : 1;
  ::ioctl(fd, FIONBIO, &nonBlocking);
}

// What a connection needs once it is answered; set on arrival, as it lasts.
void PrepareForAnswers(int fd) {
  const timeval send{kSendTimeoutS, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &send, sizeof send);
  const int yes = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
}

}  // namespace

struct RequestGate::Impl {
  struct Connection {
    std::string received;
    Clock::time_point deadline;
    std::optional<ScannedHead> head;
    bool draining = false;  // answered already; input is discarded until it ends
    bool waiting = false;   // kept open after an answer; no byte of the next request yet
    bool watched = false;   // in the epoll set
  };
  struct Job {
    int client = -1;
    std::string request;
    bool keepAlive = false;
    std::string following;  // bytes of the client's next request, sent along with this one
    bool fresh = false;     // a new connection taken aside; nothing read from it yet
  };
  // A client connection whose answer went out and that stays open for its next request.
  // The whole request in `received`, as the answer is given it, and what follows it.
  static void TakeRequest(Job& job, const ScannedHead& head, const std::string& received) {
    job.request = head.forwardHead + received.substr(head.headBytes, head.contentLength);
    job.keepAlive = head.keepAlive;
    job.following = received.substr(head.headBytes + head.contentLength);
  }
  struct Kept {
    int client = -1;
    std::string following;
    // Set for a new connection whose request did not come whole in time: its request
    // deadline, counted from its arrival.
    std::optional<Clock::time_point> deadline;
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

  // The threads take turns: one runs the loop (the leader) while the others answer
  // requests or wait. A leader that has read a whole request answers it itself and
  // hands the loop to a waiting thread, so the request waits for no other thread to
  // wake; with none waiting it leaves the request in `jobs` for the next free thread
  // and goes on running the loop, which so never stops for long answers.
  std::mutex turnsLock;
  std::condition_variable turns;
  std::deque<Job> jobs;
  bool leading = false;
  int idle = 0;  // threads waiting for a turn
  std::vector<Job> readWhole;  // the leader's: requests read whole in this round of events
  int aside = -1;              // the leader's: a new connection it may read itself
  std::vector<std::thread> workers;

  std::mutex keptLock;
  std::vector<Kept> kept;

  Impl(Limits l, Answer a, TooLargeAnswer tooLargeAnswer)
      : limits(l), answer(std::move(a)), tooLarge(std::move(tooLargeAnswer)) {}

  void Accept();
  void Adopt(int fd, std::string received, Clock::time_point deadline, bool waiting, bool readNow);
  void Read(int fd);
  void Consume(int fd);
  void SetDeadline(int fd, Connection& c, Clock::time_point deadline);
  void Close(int fd);
  void Release(int fd);  // leaves the loop's care, stays open
  void ExpireDeadlines();
  int MillisecondsToNextDeadline() const;
  void TakeBackKept();
  bool Serve(const Job& job);
  void Finish(Job& job);
  bool ReadDirect(Job& job, std::string received, bool kept);
  void HandBack(Kept kept);
  void TakeTurns();
  std::optional<Job> Lead();
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
  std::lock_guard lock(impl_->turnsLock);
  impl_->turns.notify_all();
}

void RequestGate::Run() {
  Impl& g = *impl_;
  // This thread and the workers: up to `workers` answering while one runs the loop.
  for (int i = 0; i < g.limits.workers; ++i) g.workers.emplace_back([&g] { g.TakeTurns(); });
  g.TakeTurns();
  for (auto& thread : g.workers) thread.join();
  g.workers.clear();
  for (const auto& job : g.jobs) ::close(job.client);
  g.jobs.clear();
  for (const auto& job : g.readWhole) ::close(job.client);
  g.readWhole.clear();
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
    if (connections.size() >= static_cast<std::size_t>(limits.maxConnections)) {
      ::close(fd);
      continue;
    }
    PrepareForAnswers(fd);
    if (aside < 0) {
      // Read by this thread while another takes the loop over, the way a thread per
      // connection would: the hand-over overlaps the client's sending.
      aside = fd;
      continue;
    }
    // A client usually sends its request right behind the handshake: it is read now
    // rather than after another wait for events.
    Adopt(fd, {}, Clock::now() + std::chrono::milliseconds(limits.requestDeadlineMs), false, true);
  }
}

// Puts a connection in the loop's care and looks at what it has sent (read now, or
// given), and watches it for more only if that did not complete a request: a request
// there whole at once costs the epoll set nothing.
void RequestGate::Impl::Adopt(int fd, std::string received, Clock::time_point deadline, bool waiting, bool readNow) {
  Connection& connection = connections[fd];
  connection.received = std::move(received);
  connection.deadline = deadline;
  connection.waiting = waiting;
  deadlines.emplace(deadline, fd);
  if (readNow) {
    Read(fd);
  } else if (!connection.received.empty()) {
    Consume(fd);
  }
  const auto still = connections.find(fd);
  if (still == connections.end() || still->second.watched) return;
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.fd = fd;
  if (::epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &event) == 0) {
    still->second.watched = true;
  } else {
    Close(fd);
  }
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
    const bool waiting = k.following.empty() && !k.deadline;
    const auto deadline =
        k.deadline ? *k.deadline : now + std::chrono::milliseconds(waiting ? limits.keepAliveIdleMs : limits.requestDeadlineMs);
    if (connections.size() >= static_cast<std::size_t>(limits.maxConnections)) {
      ::close(k.client);
      continue;
    }
    Adopt(k.client, std::move(k.following), deadline, waiting, false);
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
  Job job;
  job.client = fd;
  TakeRequest(job, *c.head, c.received);
  Release(fd);
  readWhole.push_back(std::move(job));
}

void RequestGate::Impl::Release(int fd) {
  auto found = connections.find(fd);
  if (found == connections.end()) return;
  if (found->second.watched) ::epoll_ctl(epoll, EPOLL_CTL_DEL, fd, nullptr);
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

void RequestGate::Impl::TakeTurns() {
  std::unique_lock lock(turnsLock);
  while (!stopping) {
    if (!jobs.empty()) {
      Job job = std::move(jobs.front());
      jobs.pop_front();
      lock.unlock();
      Finish(job);
      lock.lock();
    } else if (!leading) {
      leading = true;
      lock.unlock();
      std::optional<Job> job = Lead();
      if (job) Finish(*job);
      lock.lock();
    } else {
      ++idle;
      turns.wait(lock);
      --idle;
    }
  }
}

// Runs the loop until it has read a request this thread can answer while another
// takes the loop over, or until the gate stops. Clears `leading` when it returns.
auto RequestGate::Impl::Lead() -> std::optional<Job> {
  std::vector<epoll_event> events(256);
  while (!stopping) {
    const int ready = ::epoll_wait(epoll, events.data(), static_cast<int>(events.size()), MillisecondsToNextDeadline());
    for (int i = 0; i < ready; ++i) {
      const int fd = events[static_cast<std::size_t>(i)].data.fd;
      if (fd == listener) {
        Accept();
      } else if (fd == wake) {
        TakeBackKept();
      } else {
        Read(fd);
      }
    }
    ExpireDeadlines();
    if (readWhole.empty() && aside < 0) continue;
    std::optional<Job> mine;
    std::size_t wakes = 0;
    {
      std::lock_guard lock(turnsLock);
      if (idle > 0 && aside >= 0) {
        mine = Job{aside, {}, false, {}, true};
        aside = -1;
        leading = false;
      } else if (idle > 0) {
        mine = std::move(readWhole.front());
        readWhole.erase(readWhole.begin());
        leading = false;
      }
      for (auto& job : readWhole) jobs.push_back(std::move(job));
      // One waiting thread takes the loop over and each other waiting one a request;
      // without any waiting, the threads answering take the requests when they finish.
      wakes = std::min<std::size_t>(jobs.size() + (mine ? 1 : 0), static_cast<std::size_t>(idle));
    }
    readWhole.clear();
    for (std::size_t woken = 0; woken < wakes; ++woken) turns.notify_one();
    if (mine) return mine;
    if (aside >= 0) {
      // No thread free to take the loop over: the connection joins the others.
      const int fd = std::exchange(aside, -1);
      Adopt(fd, {}, Clock::now() + std::chrono::milliseconds(limits.requestDeadlineMs), false, true);
    }
  }
  if (aside >= 0) ::close(std::exchange(aside, -1));
  std::lock_guard lock(turnsLock);
  leading = false;
  turns.notify_all();
  return std::nullopt;
}

// Answers a request and hands a connection that stays back to the loop.
void RequestGate::Impl::Finish(Job& job) {
  if (job.fresh && !ReadDirect(job, {}, false)) return;
  for (;;) {
    if (!Serve(job) || stopping) {
      ::close(job.client);
      return;
    }
    // The connection stays. While another thread waits to take the loop or a request,
    // this one looks for the client's next request, or its close, a short while itself.
    bool another = false;
    {
      std::lock_guard lock(turnsLock);
      another = idle > 0;
    }
    if (!another) {
      HandBack({job.client, std::move(job.following), std::nullopt});
      return;
    }
    SetBlocking(job.client, false);
    std::string next = std::move(job.following);
    if (!ReadDirect(job, std::move(next), true)) return;
  }
}

void RequestGate::Impl::HandBack(Kept k) {
  {
    std::lock_guard lock(keptLock);
    kept.push_back(std::move(k));
  }
  const std::uint64_t one = 1;
  if (::write(wake, &one, sizeof one) < 0) {
    // The counter is full only with wakes pending; the loop reads the list then.
  }
}

// Reads a connection's next request (after `received`) for a short while. True with
// the request whole and plain (a head within the limits, a body of known length within
// the limit, no 100-continue); otherwise the connection is closed (the client went) or
// handed to the loop with what it sent, and the loop goes on with it as with any other:
// a kept one that sent nothing waits there for its next request.
bool RequestGate::Impl::ReadDirect(Job& job, std::string received, bool kept) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(limits.requestDeadlineMs);
  const auto until = Clock::now() + kDirectWait;
  char buffer[kReadBytes];
  for (;;) {
    if (!received.empty()) {
      const std::optional<ScannedHead> head = ScanRequestHead(received);
      if (head) {
        if (head->malformed || head->headBytes > limits.maxHeadBytes || head->chunked ||
            head->contentLength > limits.maxBodyBytes || head->expectsContinue)
          break;
        const std::size_t whole = head->headBytes + head->contentLength;
        if (received.size() >= whole) {
          TakeRequest(job, *head, received);
          return true;
        }
      } else if (received.size() > limits.maxHeadBytes) {
        break;
      }
    }
    const ssize_t count = ::recv(job.client, buffer, sizeof buffer, MSG_DONTWAIT);
    if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR)) {
      ::close(job.client);
      return false;
    }
    if (count > 0) {
      received.append(buffer, static_cast<std::size_t>(count));
      continue;
    }
    const auto left = until - Clock::now();
    if (left <= Clock::duration::zero() || stopping) break;
    pollfd entry{job.client, POLLIN, 0};
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    const timespec wait{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    ::ppoll(&entry, 1, &wait, nullptr);
  }
  const bool waitsForNext = kept && received.empty();
  HandBack({job.client, std::move(received), waitsForNext ? std::nullopt : std::optional(deadline)});
  return false;
}

// Answers a request; true when the client's connection stays.
bool RequestGate::Impl::Serve(const Job& job) {
  SetBlocking(job.client, true);
  return answer(job.client, job.request, job.keepAlive && !stopping);
}

}  // namespace sim
