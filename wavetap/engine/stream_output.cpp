#include "engine/stream_output.h"

#include "engine/push_client.h"

#include "platform/registry_store.h"

#ifdef WAVETAP_HAS_STREAM_SERVER
#include "wavetap/stream/stream_server.h"
#endif

namespace wavetap::engine {

#ifdef WAVETAP_HAS_STREAM_SERVER
struct StreamOutput::Impl {
    wavetap::StreamServer server;
    bool started = false;
};
bool StreamOutput::Available() { return true; }
StreamOutput::StreamOutput() : impl_(std::make_unique<Impl>()) {}
bool StreamOutput::Start(int port, int maxViewers) {
    impl_->started = impl_->server.Start(static_cast<quint16>(port), maxViewers);
    return impl_->started;
}
void StreamOutput::Feed(const char* data, size_t size) {
    if (impl_->started) impl_->server.FeedAsf(data, size);
    if (push_) push_->FeedAsf(data, size);
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
