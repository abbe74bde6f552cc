// The address a connected socket's peer connects from, as a key for per-address limits.
#pragma once

#include <string>

namespace wavetap {

// The raw bytes of the peer's address family and address (no port); empty when unknown.
std::string PeerAddressOf(int fd);

}  // namespace wavetap
