#pragma once
// What the state page shows of a media server's publishing point.

#include <cstdint>
#include <string>

namespace sim {

struct LivePointStatus {
  std::int64_t serverId = 0;
  std::string point;
  bool live = false;     // a push holds it (or held it, without AutoDestroy)
  bool pushing = false;  // a push start is being received
  int viewers = 0;
  std::uint64_t packets = 0;
};

}  // namespace sim
