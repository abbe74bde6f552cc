#include "sim/socket_address.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace sim {
namespace {

bool AddressText(const sockaddr_storage& address, std::string& text, int& port) {
  char buffer[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET) {
    const auto& in = reinterpret_cast<const sockaddr_in&>(address);
    port = ntohs(in.sin_port);
    inet_ntop(AF_INET, &in.sin_addr, buffer, sizeof buffer);
  } else if (address.ss_family == AF_INET6) {
    const auto& in6 = reinterpret_cast<const sockaddr_in6&>(address);
    port = ntohs(in6.sin6_port);
    inet_ntop(AF_INET6, &in6.sin6_addr, buffer, sizeof buffer);
  } else {
    return false;
  }
  text = buffer;
  return true;
}

using NameOf = int (*)(int, sockaddr*, socklen_t*);

void EndOf(NameOf name, int fd, std::string& text, int& port) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (name(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0 || !AddressText(address, text, port)) {
    text.clear();
    port = 0;
  }
}

}  // namespace

void PeerAddress(int fd, std::string& text, int& port) { EndOf(::getpeername, fd, text, port); }
void LocalAddress(int fd, std::string& text, int& port) { EndOf(::getsockname, fd, text, port); }

}  // namespace sim
