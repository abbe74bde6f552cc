#include "ftp/readiness_wait.h"

#include "platform/messages.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace nsSocket {

namespace {
constexpr int kSliceMs = 100;
}

WaitResult WaitForSocket(int fd, short events, int timeoutSeconds) {
    return WaitForSocketMs(fd, events, std::max(timeoutSeconds, 0) * 1000);
}

WaitResult WaitForSocketMs(int fd, short events, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(std::clamp<long long>(left, 0, kSliceMs)));
        if (ready > 0) return WaitResult::Ready;
        if (ready < 0 && errno != EINTR) return WaitResult::Ready;
        if (Clock::now() >= deadline) return WaitResult::TimedOut;
        if (platform::WaitThreadMessage(0)) return WaitResult::Interrupted;
    }
}

}  // namespace nsSocket
