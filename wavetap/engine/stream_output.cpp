#include "engine/stream_output.h"

#include "platform/registry_store.h"

#ifdef WAVETAP_HAS_STREAM_SERVER
#include "engine/protected_stream.h"
#include "wavetap/stream/stream_server.h"
#endif

namespace wavetap::engine {

#ifdef WAVETAP_HAS_STREAM_SERVER
struct StreamOutput::Impl {
    wavetap::StreamServer server;
    std::unique_ptr<ProtectedStream> protection;
    bool started = false;
};
bool StreamOutput::Available() { return true; }
StreamOutput::StreamOutput() : impl_(std::make_unique<Impl>()) {}
bool StreamOutput::Start(int port, int maxViewers) {
    impl_->started = impl_->server.Start(static_cast<quint16>(port), maxViewers);
    return impl_->started;
}
void StreamOutput::SetProtection(std::shared_ptr<const drm::ContentProtection> protection) {
    impl_->protection = protection ? std::make_unique<ProtectedStream>(*protection) : nullptr;
}
void StreamOutput::Feed(const char* data, size_t size) {
    if (!impl_->started) return;
    if (!impl_->protection) {
        impl_->server.FeedAsf(data, size);
        return;
    }
    impl_->protection->Feed(data, size, [this](const char* bytes, size_t length) { impl_->server.FeedAsf(bytes, length); });
}
void StreamOutput::Stop() {
    if (impl_->started) impl_->server.Stop();
    impl_->started = false;
}
#else
struct StreamOutput::Impl {};
bool StreamOutput::Available() { return false; }
StreamOutput::StreamOutput() = default;
bool StreamOutput::Start(int, int) { return false; }
void StreamOutput::SetProtection(std::shared_ptr<const drm::ContentProtection>) {}
void StreamOutput::Feed(const char*, size_t) {}
void StreamOutput::Stop() {}
#endif

StreamOutput::~StreamOutput() { Stop(); }

int MaxClientConnections() {
    bool ok = false;
    const int value = platform::RegistryGetString(platform::kMaxClientConnectionsKey, "").trimmed().toInt(&ok);
    return ok && value > 0 ? value : 500;
}

}  // namespace wavetap::engine
