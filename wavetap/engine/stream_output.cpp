#include "engine/stream_output.h"

#include "engine/push_client.h"

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
    // The pull server and the push take the same (protected, when protected) stream.
    const auto deliver = [this](const char* bytes, size_t length) {
        if (impl_->started) impl_->server.FeedAsf(bytes, length);
        if (push_) push_->FeedAsf(bytes, length);
    };
    if (!impl_->started && !push_) return;
    if (!impl_->protection) {
        deliver(data, size);
        return;
    }
    impl_->protection->Feed(data, size, deliver);
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
void StreamOutput::Feed(const char* data, size_t size) {
    if (push_) push_->FeedAsf(data, size);
}
void StreamOutput::Stop() {}
#endif

StreamOutput::~StreamOutput() { Stop(); }

int MaxClientConnections() {
    bool ok = false;
    const int value = platform::RegistryGetString(platform::kMaxClientConnectionsKey, "").trimmed().toInt(&ok);
    return ok && value > 0 ? value : 500;
}

}  // namespace wavetap::engine
