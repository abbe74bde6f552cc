#include "engine/gst_setup.h"

#include <gst/gst.h>

#include <mutex>

namespace wavetap::engine {

void EnsureGstreamer() {
    static std::once_flag once;
    std::call_once(once, [] { gst_init(nullptr, nullptr); });
}

}  // namespace wavetap::engine
