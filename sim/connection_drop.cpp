#include "sim/connection_drop.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/resource.h>

namespace sim {
namespace {

bool Port(const sockaddr_storage& a, int& port, std::string& addr) {
  char text[INET6_ADDRSTRLEN] = {};
  if (a.ss_family == AF_INET) {
    const auto& in = reinterpret_cast<const sockaddr_in&>(a);
    port = ntohs(in.sin_port);
    inet_ntop(AF_INET, &in.sin_addr, text, sizeof text);
  } else if (a.ss_family == AF_INET6) {
    const auto& in6 = reinterpret_cast<const sockaddr_in6&>(a);
    port = ntohs(in6.sin6_port);
    inet_ntop(AF_INET6, &in6.sin6_addr, text, sizeof text);
  } else {
    return false;
  }
  addr = text;
  return true;
}

}  // namespace

// The HTTP library does not hand its sockets to request handlers, so the connection is
// found among the process's descriptors by its two ends.
bool DropConnection(const std::string& remoteAddr, int remotePort, int localPort) {
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  int maxFd = limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > 65536 ? 65536 : static_cast<int>(limit.rlim_cur);
  for (int fd = 0; fd < maxFd; ++fd) {
    struct stat st{};
    if (fstat(fd, &st) != 0 || !S_ISSOCK(st.st_mode)) continue;
    sockaddr_storage local{}, peer{};
    socklen_t localLen = sizeof local, peerLen = sizeof peer;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLen) != 0) continue;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLen) != 0) continue;
    int lp = 0, pp = 0;
    std::string la, pa;
    if (!Port(local, lp, la) || !Port(peer, pp, pa)) continue;
    if (lp == localPort && pp == remotePort && pa == remoteAddr) {
      shutdown(fd, SHUT_RDWR);
      return true;
    }
  }
  return false;
}

}  // namespace sim
