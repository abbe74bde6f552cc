#pragma once
// Qt hands a posted event to the receiving thread under its own lock. With Qt not built
// for the race detector, that hand-over is invisible to it; these mark it, so the
// receiver's reads of the event are not taken for races. They do nothing otherwise.

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace platform {

inline void MarkEventPosted([[maybe_unused]] void* event) {
#if defined(__SANITIZE_THREAD__)
    __tsan_release(event);
#endif
}

inline void MarkEventReceived([[maybe_unused]] void* event) {
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(event);
#endif
}

}  // namespace platform
