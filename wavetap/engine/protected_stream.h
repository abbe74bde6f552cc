#pragma once
// The live stream of a protected run: the streamable muxer's bytes, in any pieces,
// come out as the protected header and protected packets. Nothing of a header or
// packet that cannot be protected comes out at all.

#include "drm/content_protection.h"

#include <cstddef>
#include <functional>
#include <memory>

namespace wavetap::engine {

class ProtectedStream {
public:
    using Deliver = std::function<void(const char* data, std::size_t size)>;
    explicit ProtectedStream(const drm::ContentProtection& protection);
    ~ProtectedStream();
    void Feed(const char* data, std::size_t size, const Deliver& deliver);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace wavetap::engine
