#include "wavetap/stream/peer_address.h"

#include <netinet/in.h>
#include <sys/socket.h>

namespace wavetap {

std::string PeerAddressOf(int fd)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return {};
    std::string key(1, static_cast<char>(address.ss_family));
    if (address.ss_family == AF_INET) {
        const auto& in4 = reinterpret_cast<const sockaddr_in&>(address);
        key.append(reinterpret_cast<const char*>(&in4.sin_addr), sizeof in4.sin_addr);
    } else if (address.ss_family == AF_INET6) {
        const auto& in6 = reinterpret_cast<const sockaddr_in6&>(address);
        key.append(reinterpret_cast<const char*>(&in6.sin6_addr), sizeof in6.sin6_addr);
    } else {
        return {};  // a local socket: no address to limit by
    }
    return key;
}

}  // namespace wavetap
