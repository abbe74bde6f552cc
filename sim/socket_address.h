#pragma once
// The two ends of a connected socket as address text and port.

#include <string>

namespace sim {

// Empty text and port 0 when the socket has no such end.
void PeerAddress(int fd, std::string& text, int& port);
void LocalAddress(int fd, std::string& text, int& port);

}  // namespace sim
