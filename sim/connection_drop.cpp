#include "sim/connection_drop.h"

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include "sim/socket_address.h"

namespace sim {

// Request handlers are not handed their sockets, so the connection is found among the
// process's descriptors by its two ends.
bool DropConnection(const std::string& remoteAddr, int remotePort, int localPort) {
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  int maxFd = limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > 65536 ? 65536 : static_cast<int>(limit.rlim_cur);
  for (int fd = 0; fd < maxFd; ++fd) {
    struct stat st{};
    if (fstat(fd, &st) != 0 || !S_ISSOCK(st.st_mode)) continue;
    std::string localAddr, peerAddr;
    int lp = 0, pp = 0;
    LocalAddress(fd, localAddr, lp);
    PeerAddress(fd, peerAddr, pp);
    if (!peerAddr.empty() && lp == localPort && pp == remotePort && peerAddr == remoteAddr) {
      shutdown(fd, SHUT_RDWR);
      return true;
    }
  }
  return false;
}

}  // namespace sim
