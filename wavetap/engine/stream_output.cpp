#include "engine/stream_output.h"

#include "engine/push_client.h"

#include "platform/registry_store.h"

#ifdef WAVETAP_HAS_STREAM_SERVER
#include "engine/protected_stream.h"
#include "wavetap/stream/stream_server.h"
#include "wavetap/stream/stream_server_limits.h"
#endif

namespace wavetap::engine {

#ifdef WAVETAP_HAS_STREAM_SERVER
namespace {
wavetap::StreamServerLimits ServerLimits() {
    wavetap::StreamServerLimits limits;
    limits.maxConnectionsPerAddress = MaxConnectionsPerAddress();
    return limits;
}
}  // namespace

struct StreamOutput::Impl {
    wavetap::StreamServer server{ServerLimits()};
    std::unique_ptr<ProtectedStream> protection;
    bool started = false;
};
bool StreamOutput::Available() { return true; }
StreamOutput::StreamOutput(const asf::StreamBitrates& bitrates) : impl_(std::make_unique<Impl>()), repair_(bitrates) {}
bool StreamOutput::Start(int port, int maxViewers) {
    impl_->started = impl_->server.Start(static_cast<quint16>(port), maxViewers);
    return impl_->started;
}
void StreamOutput::SetProtection(std::shared_ptr<const drm::ContentProtection> protection) {
    impl_->protection = protection ? std::make_unique<ProtectedStream>(*protection) : nullptr;
}
void StreamOutput::Feed(const char* data, size_t size) {
    // The pull server and the push take the same (protected, when protected) stream.
    const auto deliver = [this](const char* bytes, size_t length) {
        if (impl_->started) impl_->server.FeedAsf(bytes, length);
        if (push_) push_->FeedAsf(bytes, length);
    };
    if (!impl_->started && !push_) return;
    repair_.Feed(data, size, [&](const char* bytes, size_t length) {
        if (!impl_->protection)
            deliver(bytes, length);
        else
            impl_->protection->Feed(bytes, length, deliver);
    });
}
void StreamOutput::Stop() {
    if (impl_->started) impl_->server.Stop();
    impl_->started = false;
}
#else
struct StreamOutput::Impl {};
bool StreamOutput::Available() { return false; }
StreamOutput::StreamOutput(const asf::StreamBitrates& bitrates) : repair_(bitrates) {}
bool StreamOutput::Start(int, int) { return false; }
void StreamOutput::SetProtection(std::shared_ptr<const drm::ContentProtection>) {}
void StreamOutput::Feed(const char* data, size_t size) {
    if (!push_) return;
    repair_.Feed(data, size, [this](const char* bytes, size_t length) { push_->FeedAsf(bytes, length); });
}
void StreamOutput::Stop() {}
#endif

StreamOutput::~StreamOutput() { Stop(); }

namespace {
// Read as the cap on the connections of one client address, beside the viewer limit.
constexpr char kMaxConnectionsPerAddressKey[] =
    "HKEY_CURRENT_USER\\Software\\Castora\\Wavetap\\MaxConnectionsPerAddress";
int RegistryNumber(const char* key, int fallback) {
    bool ok = false;
    const int value = platform::RegistryGetString(key, "").trimmed().toInt(&ok);
    return ok && value > 0 ? value : fallback;
}
}  // namespace

int MaxConnectionsPerAddress() { return RegistryNumber(kMaxConnectionsPerAddressKey, 32); }

int MaxClientConnections() {
    return RegistryNumber(platform::kMaxClientConnectionsKey, 500);
}

}  // namespace wavetap::engine
