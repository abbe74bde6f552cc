#pragma once
// Hands the live ASF stream to the pull server on the broadcast's HTTP port.

#include "drm/content_protection.h"

#include <cstddef>
#include <memory>

namespace wavetap::engine {

class StreamOutput {
public:
    StreamOutput();
    ~StreamOutput();
    // True when this build has the pull server.
    static bool Available();
    // Listens on the port; false when it cannot.
    bool Start(int port, int maxViewers);
    // A protected run serves only protected headers and packets. Before Start.
    void SetProtection(std::shared_ptr<const drm::ContentProtection> protection);
    // Bytes of a streamable ASF: header objects, then data packets. Any thread.
    void Feed(const char* data, size_t size);
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The viewer limit from the registry store: its value, or 500 when empty or invalid.
int MaxClientConnections();

}  // namespace wavetap::engine
