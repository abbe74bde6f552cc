// A worker that used the thread-message layer and ends only during static destruction
// (joined by a static's destructor after main returns) must end cleanly. The static that
// joins it is made before the layer is first used, so it is destroyed after everything
// the layer made; the sanitizer builds report any use of freed memory on the way.

#include "platform/messages.h"

#include <atomic>
#include <cstdio>
#include <thread>

namespace {

class LateJoiner {
public:
    ~LateJoiner() {
        release = true;
        if (worker.joinable()) worker.join();
        // Threads that start and end during teardown use the layer too.
        std::thread late([] {
            platform::PostThreadMessage(platform::CurrentThreadId(), 3, 0, 0);
            platform::PeekThreadMessage(nullptr);
        });
        late.join();
        std::puts("teardown finished");
    }
    std::thread worker;
    std::atomic<bool> release{false};
};

LateJoiner& Joiner() {
    static LateJoiner joiner;
    return joiner;
}

}  // namespace

int main() {
    LateJoiner& joiner = Joiner();
    std::atomic<bool> started{false};
    joiner.worker = std::thread([&joiner, &started] {
        platform::PostThreadMessage(platform::CurrentThreadId(), 1, 2, 3);
        platform::ThreadMessage message;
        const bool got = platform::PeekThreadMessage(&message) && message.msg == 1;
        started = true;
        while (!joiner.release) platform::WaitThreadMessage(10);
        if (!got) std::puts("message lost");
    });
    // Other threads leave their queues behind in the map for the teardown to meet.
    for (int i = 0; i < 8; ++i) {
        std::thread([] { platform::PostThreadMessage(platform::CurrentThreadId(), 2, 0, 0); }).join();
        platform::PostThreadMessage(1000000 + static_cast<platform::ThreadId>(i), 2, 0, 0);
    }
    while (!started) std::this_thread::yield();
    return 0;
}
