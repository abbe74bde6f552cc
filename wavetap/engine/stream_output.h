#pragma once
// Hands the live ASF stream to the pull server on the broadcast's HTTP port and to the
// push to a media server: both take the same header and packets.

#include "drm/content_protection.h"

#include <cstddef>
#include <memory>

namespace wavetap::engine {

class PushClient;

class StreamOutput {
public:
    StreamOutput();
    ~StreamOutput();
    // True when this build has the pull server.
    static bool Available();
    // Listens on the port; false when it cannot.
    bool Start(int port, int maxViewers);
    // The push that gets the stream too (not owned; set before the stream flows).
    void SetPush(PushClient* push) { push_ = push; }
    // A protected run serves only protected headers and packets. Before Start.
    void SetProtection(std::shared_ptr<const drm::ContentProtection> protection);
    // Bytes of a streamable ASF: header objects, then data packets. Any thread.
    void Feed(const char* data, size_t size);
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    PushClient* push_ = nullptr;
};

// The viewer limit from the registry store: its value, or 500 when empty or invalid.
int MaxClientConnections();

}  // namespace wavetap::engine
