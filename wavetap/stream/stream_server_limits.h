// Bounds that keep the stream server's memory and its viewers' lag in check.
#pragma once

#include <cstddef>

namespace wavetap {

struct StreamServerLimits {
    // Unsent bytes a viewer may have queued; past this it skips to the next start point.
    std::size_t maxQueuedBytesPerViewer = 4 * 1024 * 1024;
    // A viewer whose socket takes nothing for this long while data waits is dropped.
    int stallTimeoutMs = 15000;
    // Packets kept since the last start point, so that a new viewer starts at once; past
    // either bound (bytes, or time since the start point arrived) viewers start anywhere.
    std::size_t maxBacklogBytes = 2 * 1024 * 1024;
    int maxBacklogSpanMs = 5000;
    // Packets fed but not yet handed out when the server thread falls behind.
    std::size_t maxPendingBytes = 8 * 1024 * 1024;
    // A request head must arrive within this time.
    int requestTimeoutMs = 10000;
    // A viewer that came before the stream's header waits at most this long.
    int headerWaitTimeoutMs = 30000;
    // Connections that have not yet become viewers (requests being read, responses closing);
    // more are answered 503 at once. Large enough for a crowd of players arriving together.
    int maxPendingConnections = 256;
};

}  // namespace wavetap
