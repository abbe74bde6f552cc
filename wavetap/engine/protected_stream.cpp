#include "engine/protected_stream.h"

#include "drm/asf_header_rewrite.h"
#include "drm/asf_payload_cipher.h"
#include "wavetap/stream/asf_stream_splitter.h"

#include <vector>

namespace wavetap::engine {

struct ProtectedStream::Impl {
    explicit Impl(const drm::ContentProtection& protection)
        : marks(drm::asf::MarksFor(protection)), cipher(protection.contentKey) {}
    drm::asf::ProtectionMarks marks;
    drm::asf::PayloadCipher cipher;
    AsfStreamSplitter splitter;
    std::vector<AsfUnit> units;
    bool headerSent = false;  // packets go out only after their stream's protected header
};

ProtectedStream::ProtectedStream(const drm::ContentProtection& protection)
    : impl_(std::make_unique<Impl>(protection)) {}

ProtectedStream::~ProtectedStream() = default;

void ProtectedStream::Feed(const char* data, std::size_t size, const Deliver& deliver) {
    impl_->units.clear();
    impl_->splitter.Feed(data, size, impl_->units);
    for (AsfUnit& unit : impl_->units) {
        if (unit.kind == AsfUnit::Kind::Header) {
            QByteArray protectedHeader;
            impl_->headerSent = !drm::Failed(drm::asf::ProtectHeader(unit.bytes, impl_->marks, &protectedHeader));
            if (impl_->headerSent) deliver(protectedHeader.constData(), static_cast<std::size_t>(protectedHeader.size()));
            continue;
        }
        if (!impl_->headerSent) continue;
        if (impl_->cipher.CryptPacket(reinterpret_cast<std::uint8_t*>(unit.bytes.data()),
                                      static_cast<std::size_t>(unit.bytes.size())))
            deliver(unit.bytes.constData(), static_cast<std::size_t>(unit.bytes.size()));
    }
}

}  // namespace wavetap::engine
