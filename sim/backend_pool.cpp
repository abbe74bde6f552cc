#include "sim/backend_pool.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sim {
namespace {

constexpr int kSendTimeoutS = 10;
constexpr int kAnswerTimeoutS = 60;

// An idle connection that reads as ready has been closed by the library (or holds bytes
// no request asked for): either way it cannot carry a request.
bool StillQuiet(int fd) {
  pollfd entry{fd, POLLIN, 0};
  return ::poll(&entry, 1, 0) == 0;
}

}  // namespace

BackendPool::BackendPool(int port, std::size_t maxIdle, std::chrono::milliseconds maxIdleAge)
    : port_(port), maxIdle_(maxIdle), maxIdleAge_(maxIdleAge) {}

BackendPool::~BackendPool() { CloseAll(); }

int BackendPool::Take() {
  {
    std::lock_guard guard(lock_);
    DropStale(Clock::now());
    while (!idle_.empty()) {
      const int fd = idle_.back().first;
      idle_.pop_back();
      if (StillQuiet(fd)) return fd;
      ::close(fd);
    }
  }
  return Connect();
}

void BackendPool::Give(int fd) {
  std::lock_guard guard(lock_);
  DropStale(Clock::now());
  if (idle_.size() >= maxIdle_) {
    ::close(fd);
    return;
  }
  idle_.emplace_back(fd, Clock::now());
}

// Connections left idle the longest are at the front; the library may be closing them.
void BackendPool::DropStale(Clock::time_point now) {
  while (!idle_.empty() && now - idle_.front().second >= maxIdleAge_) {
    ::close(idle_.front().first);
    idle_.pop_front();
  }
}

void BackendPool::CloseAll() {
  std::lock_guard guard(lock_);
  for (const auto& entry : idle_) ::close(entry.first);
  idle_.clear();
}

int BackendPool::Connect() const {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port_));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  const int yes = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  const timeval send{kSendTimeoutS, 0};
  const timeval receive{kAnswerTimeoutS, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &send, sizeof send);
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &receive, sizeof receive);
  return fd;
}

}  // namespace sim
