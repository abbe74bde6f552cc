#pragma once
// The state a media server keeps for one push ([MS-WMHTTP] 3.2.1): the push-id that the
// push setup handed out, the publishing point it holds and whether to free the point
// at the end, the stream's packet size, and its two timers.

#include <chrono>
#include <cstdint>
#include <string>

namespace sim {

class LivePoint;

using PushClock = std::chrono::steady_clock;

struct PushTimers {
  std::chrono::milliseconds idle{60000};        // no packet within a push start
  std::chrono::milliseconds inactivity{120000};  // no push start after setup or between them
};

struct PushSession {
  std::string pushId;
  LivePoint* point = nullptr;
  bool autoDestroy = false;
  bool headerReceived = false;     // the first push start began with $H
  bool awaitingStreamChange = false;  // $E 1 came: the next packet is $C
  std::uint32_t packetSize = 0;
  const void* streamingOn = nullptr;  // the connection whose push start is in progress
  PushClock::time_point deadline;     // of the idle or the inactivity timer, whichever runs
  PushClock::time_point pushStartedAt;
};

}  // namespace sim
