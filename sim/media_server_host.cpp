#include "sim/media_server_host.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QByteArray>
#include <QRandomGenerator>
#include <QUrl>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "sim/live_point.h"
#include "wavetap/stream/http_request.h"

namespace sim {
namespace {

constexpr int kPollMs = 250;
// A connection whose head came in part is looked at again after this long.
constexpr int kPeekAgainMs = 20;
constexpr auto kRequestTimeout = std::chrono::seconds(10);
constexpr auto kClosingGrace = std::chrono::seconds(2);
constexpr std::size_t kPeekSize = wavetap::HttpRequest::kMaxHeadSize + 1;

std::size_t HeadLength(const char* data, std::size_t size) {
  const std::string_view view(data, size);
  const std::size_t crlf = view.find("\r\n\r\n");
  const std::size_t lf = view.find("\n\n");
  std::size_t length = std::string_view::npos;
  if (crlf != std::string_view::npos) length = crlf + 4;
  if (lf != std::string_view::npos && (length == std::string_view::npos || lf + 2 < length)) length = lf + 2;
  return length;
}

// Answers a request that no stream or push takes, and closes the connection.
void AnswerAndClose(int fd, std::size_t headLength, int status, const char* text) {
  if (headLength > 0) {
    std::string head(headLength, '\0');
    [[maybe_unused]] const ssize_t consumed = ::recv(fd, head.data(), headLength, MSG_DONTWAIT);
  }
  const std::string body = std::string(text) + "\r\n";
  const std::string response = "HTTP/1.1 " + std::to_string(status) + " " + text +
                               "\r\nServer: Cougar/9.5.6001.18000\r\nContent-Type: text/plain\r\nContent-Length: " +
                               std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
  [[maybe_unused]] const ssize_t sent = ::send(fd, response.data(), response.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  ::shutdown(fd, SHUT_WR);
  ::close(fd);
}

std::string NewPushId() {
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string id;
  for (int i = 0; i < 20; ++i) id += kChars[QRandomGenerator::system()->bounded(62)];
  return id;
}

bool SameNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

MediaServerHost::MediaServerHost(MediaServerConfig config, MediaServerOptions options)
    : config_(std::move(config)),
      options_(options),
      authenticator_("Castora media server " + std::to_string(config_.id), config_.user, config_.password,
                     options.schemes) {
  for (const std::string& name : config_.points)
    points_.push_back(std::make_unique<LivePoint>(name, options_.maxViewersPerPoint));
  RefreshStatus();
}

MediaServerHost::~MediaServerHost() { Stop(); }

bool MediaServerHost::Start(std::string& error) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  const int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(config_.port));
  socklen_t length = sizeof address;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, SOMAXCONN) != 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    error = "media server " + std::to_string(config_.id) + ": cannot listen on 127.0.0.1:" +
            std::to_string(config_.port) + ": " + std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return false;
  }
  listenFd_ = fd;
  port_ = ntohs(address.sin_port);
  wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  stopping_ = false;
  thread_ = std::thread(&MediaServerHost::Run, this);
  pthread_setname_np(thread_.native_handle(), "media-server");
  return true;
}

void MediaServerHost::Stop() {
  if (!thread_.joinable()) return;
  stopping_ = true;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
  thread_.join();
  for (Pending& pending : pending_) ::close(pending.fd);
  pending_.clear();
  receivers_.clear();
  sessions_.clear();
  for (auto& point : points_) point->Close();
  ::close(listenFd_);
  ::close(wakeFd_);
  listenFd_ = wakeFd_ = -1;
}

std::vector<LivePointStatus> MediaServerHost::Status() const {
  std::vector<LivePointStatus> status;
  {
    std::lock_guard lock(statusMutex_);
    status = status_;
  }
  for (std::size_t i = 0; i < status.size() && i < points_.size(); ++i) {
    status[i].viewers = points_[i]->ViewerCount();
    status[i].packets = points_[i]->PacketsFed();
  }
  return status;
}

void MediaServerHost::RefreshStatus() {
  std::vector<LivePointStatus> status;
  for (const auto& point : points_) {
    LivePointStatus s;
    s.serverId = config_.id;
    s.point = point->Name();
    s.live = point->IsOpen();
    for (const auto& [id, session] : sessions_)
      if (session->point == point.get() && session->streamingOn) s.pushing = true;
    status.push_back(s);
  }
  std::lock_guard lock(statusMutex_);
  status_ = std::move(status);
}

void MediaServerHost::Log(const std::string& line) {
  std::fprintf(stderr, "castora-platform: media server %lld: %s\n", static_cast<long long>(config_.id), line.c_str());
}

LivePoint* MediaServerHost::PointAt(const std::string& target) {
  std::string path = target;
  if (path.rfind("http://", 0) == 0) {
    const auto slash = path.find('/', 7);
    path = slash == std::string::npos ? "/" : path.substr(slash);
  }
  path = path.substr(0, path.find('?'));
  const std::string name = QUrl::fromPercentEncoding(QByteArray::fromStdString(path)).toStdString();
  if (name.size() < 2 || name[0] != '/') return nullptr;
  for (const auto& point : points_)
    if (SameNoCase(point->Name(), name.substr(1))) return point.get();
  return nullptr;
}

PushSession* MediaServerHost::FindSession(const std::string& pushId) {
  const auto it = sessions_.find(pushId);
  return it == sessions_.end() ? nullptr : it->second.get();
}

PushSession* MediaServerHost::OpenSession(LivePoint* point, bool autoDestroy, int* status) {
  for (const auto& [id, session] : sessions_) {
    if (session->point != point) continue;
    if (session->streamingOn) {
      *status = 409;
      return nullptr;
    }
    // Its encoder went away without ending the push: the new push takes the point over.
    Log("push " + point->Name() + ": push-id " + id + " gives way to a new push");
    EndSession(id);
    break;
  }
  if (!point->Open()) {
    *status = 503;
    return nullptr;
  }
  auto session = std::make_unique<PushSession>();
  do {
    session->pushId = NewPushId();
  } while (sessions_.count(session->pushId));
  session->point = point;
  session->autoDestroy = autoDestroy;
  PushSession* opened = session.get();
  sessions_[opened->pushId] = std::move(session);
  return opened;
}

void MediaServerHost::EndSession(const std::string& pushId) {
  const auto it = sessions_.find(pushId);
  if (it == sessions_.end()) return;
  if (it->second->autoDestroy) {
    Log("push " + it->second->point->Name() + ": ended, the publishing point is freed");
    it->second->point->Close();
  } else {
    Log("push " + it->second->point->Name() + ": ended, the publishing point is kept");
  }
  sessions_.erase(it);
}

PushReceiver* MediaServerHost::StreamingReceiver(const std::string& pushId) {
  for (Receiver& r : receivers_)
    if (!r.receiver->Closed() && r.receiver->StreamingPushId() == pushId) return r.receiver.get();
  return nullptr;
}

void MediaServerHost::Accept(PushClock::time_point now) {
  for (;;) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    pending_.push_back({fd, now, 0, false});
  }
}

bool MediaServerHost::Route(Pending& pending, PushClock::time_point now) {
  std::string peeked(kPeekSize, '\0');
  const ssize_t got = ::recv(pending.fd, peeked.data(), peeked.size(), MSG_PEEK | MSG_DONTWAIT);
  if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
    ::close(pending.fd);
    return true;
  }
  if (got < 0) {
    pending.headIncomplete = false;
    return false;
  }
  const auto size = static_cast<std::size_t>(got);
  // Every request starts with its method; anything else (a TLS hello, say) is no HTTP.
  if (!std::isupper(static_cast<unsigned char>(peeked[0]))) {
    AnswerAndClose(pending.fd, 0, 400, "Bad Request");
    return true;
  }
  const std::size_t headLength = HeadLength(peeked.data(), size);
  if (headLength == std::string::npos) {
    if (size >= kPeekSize) {
      AnswerAndClose(pending.fd, size, 400, "Bad Request");
      return true;
    }
    pending.headIncomplete = true;
    pending.peeked = size;
    return false;
  }
  wavetap::HttpRequest request;
  request.Feed(peeked.data(), headLength);
  if (request.CurrentState() != wavetap::HttpRequest::State::Complete) {
    AnswerAndClose(pending.fd, headLength, 400, "Bad Request");
    return true;
  }
  if (request.Method() == "GET") {
    LivePoint* point = PointAt(request.Target());
    // The request stays in the socket: the point's stream server reads it itself.
    if (point && point->IsOpen() && point->AdoptViewer(pending.fd)) return true;
    AnswerAndClose(pending.fd, headLength, 404, "Not Found");
    return true;
  }
  if (request.Method() != "POST") {
    AnswerAndClose(pending.fd, headLength, 405, "Method Not Allowed");
    return true;
  }
  std::string head(headLength, '\0');
  if (::recv(pending.fd, head.data(), headLength, MSG_DONTWAIT) != static_cast<ssize_t>(headLength)) {
    ::close(pending.fd);
    return true;
  }
  auto receiver = std::make_unique<PushReceiver>(pending.fd, *this);
  PushReceiver* started = receiver.get();
  receivers_.push_back({std::move(receiver), {}});
  started->Begin(request, std::string(), now);
  return true;
}

void MediaServerHost::ApplyTimers(PushClock::time_point now) {
  std::vector<std::string> expired;
  for (const auto& [id, session] : sessions_) {
    const bool cut = options_.dropPushAfterMs > 0 && (options_.dropPushCount < 0 || dropped_ < options_.dropPushCount) &&
                     session->streamingOn && session->pushStartedAt != PushClock::time_point{} &&
                     now - session->pushStartedAt >= std::chrono::milliseconds(options_.dropPushAfterMs);
    if (cut) {
      ++dropped_;
      if (PushReceiver* receiver = StreamingReceiver(id)) receiver->Abort(503, "dropped (--drop-push-after)");
      expired.push_back(id);
    } else if (now > session->deadline) {
      if (PushReceiver* receiver = StreamingReceiver(id)) receiver->Abort(408, "no packet within the idle timeout");
      else Log("push " + session->point->Name() + ": push-id " + id + " timed out");
      expired.push_back(id);
    }
  }
  for (const std::string& id : expired) EndSession(id);
  for (Pending& pending : pending_) {
    if (now - pending.since > kRequestTimeout) {
      ::close(pending.fd);
      pending.fd = -1;
    }
  }
  for (Receiver& r : receivers_) {
    if (r.receiver->Closed() || !r.receiver->Closing()) continue;
    // The answer went out with our side shut: the encoder closes, or is closed on after a while.
    if (r.closingSince == PushClock::time_point{}) r.closingSince = now;
    if (now - r.closingSince > kClosingGrace) r.receiver->Close();
  }
}

void MediaServerHost::Run() {
  std::vector<pollfd> fds;
  while (!stopping_) {
    fds.clear();
    fds.push_back({listenFd_, POLLIN, 0});
    fds.push_back({wakeFd_, POLLIN, 0});
    bool peekAgain = false;
    for (const Pending& pending : pending_) {
      peekAgain = peekAgain || pending.headIncomplete;
      fds.push_back({pending.headIncomplete ? -1 : pending.fd, POLLIN, 0});
    }
    for (const Receiver& r : receivers_)
      fds.push_back({r.receiver->Fd(), static_cast<short>(POLLIN | (r.receiver->WantsOutput() ? POLLOUT : 0)), 0});
    if (::poll(fds.data(), fds.size(), peekAgain ? kPeekAgainMs : kPollMs) < 0 && errno != EINTR) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    const PushClock::time_point now = PushClock::now();
    if (fds[1].revents & POLLIN) {
      std::uint64_t count = 0;
      [[maybe_unused]] const ssize_t drained = ::read(wakeFd_, &count, sizeof count);
    }
    // Connections accepted and receivers started here are appended after the poll slots.
    const std::size_t pendingCount = pending_.size();
    const std::size_t receiverCount = receivers_.size();
    for (std::size_t i = 0; i < receiverCount; ++i) {
      PushReceiver& receiver = *receivers_[i].receiver;
      const short revents = fds[2 + pendingCount + i].revents;
      if (receiver.Closed()) continue;
      if (revents & (POLLIN | POLLHUP | POLLERR)) receiver.OnReadable(now);
      if (!receiver.Closed() && (revents & POLLOUT)) receiver.OnWritable();
    }
    for (std::size_t i = 0; i < pendingCount; ++i) {
      Pending& pending = pending_[i];
      const bool readable = fds[2 + i].revents & (POLLIN | POLLHUP | POLLERR);
      if ((readable || pending.headIncomplete) && Route(pending, now)) pending.fd = -1;
    }
    if (fds[0].revents & POLLIN) Accept(now);
    ApplyTimers(now);
    std::erase_if(pending_, [](const Pending& p) { return p.fd < 0; });
    std::erase_if(receivers_, [](const Receiver& r) { return r.receiver->Closed(); });
    RefreshStatus();
  }
}

}  // namespace sim
