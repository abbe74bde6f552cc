#pragma once

#include <string>

namespace sim {

// Shuts down this process's TCP connection from remoteAddr:remotePort to localPort, so
// the peer sees the connection close without an answer. Returns false when no such
// connection is open.
bool DropConnection(const std::string& remoteAddr, int remotePort, int localPort);

}  // namespace sim
