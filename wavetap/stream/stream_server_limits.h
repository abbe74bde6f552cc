// Bounds that keep the stream server's memory and its viewers' lag in check.
#pragma once

#include <cstddef>

namespace wavetap {

struct StreamServerLimits {
    // Unsent bytes a viewer may have queued; past this it skips to the next start point.
    std::size_t maxQueuedBytesPerViewer = 4 * 1024 * 1024;
    // A viewer whose socket takes nothing for this long while data waits is dropped.
    int stallTimeoutMs = 15000;
    // A viewer further behind the live edge than this (its oldest byte not yet taken, in its
    // socket or in its queue) is dropped: a client that never reads cannot hold a place.
    int maxViewerLagMs = 6000;
    // Packets kept since the last start point (a packet where a video key frame starts), so
    // that a new viewer starts at once and with a whole picture; past either bound (bytes, or
    // time since the start point arrived) new viewers wait for the next start point. Key
    // frames come 5 s apart from the encoder's profiles, so the span holds more than that.
    std::size_t maxBacklogBytes = 4 * 1024 * 1024;
    int maxBacklogSpanMs = 12000;
    // A stream without a start point for this long is taken to have none that can be found:
    // viewers then start at any packet rather than wait for ever.
    int maxStartPointWaitMs = 30000;
    // Packets fed but not yet handed out when the server thread falls behind.
    std::size_t maxPendingBytes = 8 * 1024 * 1024;
    // A request head must arrive, as a whole, within this time of connecting. Players send
    // theirs at once; connections that send nothing must not hold on to the server.
    int requestTimeoutMs = 3000;
    // A viewer that came before the stream's header waits at most this long.
    int headerWaitTimeoutMs = 30000;
    // Connections that have not yet become viewers (requests being read, responses closing);
    // past it the oldest connection still without a request head is closed to make room (a
    // crowd of idle connections cannot shut new viewers out); with none such, 503 at once.
    // Large enough for a crowd of players arriving together.
    int maxPendingConnections = 256;
    // Connections from one client address at once, in any phase (viewers, requests being
    // read, answers closing); more are answered 503 at once.
    int maxConnectionsPerAddress = 32;
};

}  // namespace wavetap
