#pragma once
// Hands the live ASF stream to the pull server on the broadcast's HTTP port and to the
// push to a media server: both take the same header and packets.

#include "drm/content_protection.h"
#include "engine/stream_repair.h"

#include <cstddef>
#include <memory>

namespace wavetap::engine {

class PushClient;

class StreamOutput {
public:
    // bitrates: the profile's, for the header's streams that the muxer leaves without one.
    explicit StreamOutput(const asf::StreamBitrates& bitrates);
    ~StreamOutput();
    // True when this build has the pull server.
    static bool Available();
    // Listens on the port; false when it cannot.
    bool Start(int port, int maxViewers);
    // The push that gets the stream too (not owned; set before the stream flows).
    void SetPush(PushClient* push) { push_ = push; }
    // A protected run serves only protected headers and packets. Before Start.
    void SetProtection(std::shared_ptr<const drm::ContentProtection> protection);
    // Bytes of a streamable ASF as the muxer writes it: header objects, then data packets.
    // Repaired before they are served or pushed. The muxer's thread.
    void Feed(const char* data, size_t size);
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    StreamRepair repair_;
    PushClient* push_ = nullptr;
};

// The viewer limit from the registry store: its value, or 500 when empty or invalid.
int MaxClientConnections();
// The cap on one client address's connections to the pull server, from the registry store
// (HKEY_CURRENT_USER\Software\Castora\Wavetap\MaxConnectionsPerAddress): its value, or 32.
int MaxConnectionsPerAddress();

}  // namespace wavetap::engine
