// The live encoder's HTTP pull server: serves the ASF stream it is fed to Windows Media
// players ($H/$D framing) and to plain HTTP players, each viewer at its own pace.
#pragma once

#include <QtGlobal>

#include <cstddef>
#include <memory>

namespace wavetap {

struct StreamServerLimits;

class StreamServer {
public:
    StreamServer();
    explicit StreamServer(const StreamServerLimits& limits);
    ~StreamServer();
    StreamServer(const StreamServer&) = delete;
    StreamServer& operator=(const StreamServer&) = delete;

    // Listens on 0.0.0.0:port; at most maxViewers viewers at once (more are refused with
    // 503; 0 or less refuses all). False when the port cannot be bound or the server already runs.
    bool Start(quint16 port, int maxViewers);
    // Runs without a listening socket: it serves only the connections handed to it with
    // Adopt (a front end that listens for several streams routes viewers to each).
    bool StartDetached(int maxViewers);
    // Takes over an accepted connection whose request has not been read from the socket
    // yet (a front end may have peeked at it). The server closes it; false when not running.
    bool Adopt(int fd);
    void Stop();
    // Raw bytes of a live ASF stream (header objects, then fixed-size data packets), in
    // pieces of any size. Thread-safe; never blocks on viewers.
    void FeedAsf(const char* data, size_t size);
    // Viewers being served now.
    int ViewerCount() const;
    // The port it listens on while running (the one chosen by the system when started with 0).
    quint16 Port() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace wavetap
