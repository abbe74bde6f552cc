#include "platform/sync.h"

#include "platform/messages.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace platform {
namespace {

template <typename Pred>
bool WaitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, int timeoutMs, Pred ready) {
    if (timeoutMs < 0) {
        cv.wait(lock, ready);
        return true;
    }
    return cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
}

// Named objects live while somebody holds them, like named kernel objects.
template <typename T, typename Make>
std::shared_ptr<T> NamedObject(const QString& name, Make make) {
    static std::mutex lock;
    static std::map<QString, std::weak_ptr<T>> objects;
    std::lock_guard<std::mutex> guard(lock);
    auto& slot = objects[name];
    if (auto existing = slot.lock()) return existing;
    std::shared_ptr<T> created = make();
    slot = created;
    return created;
}

}  // namespace

struct Event::State {
    std::mutex lock;
    std::condition_variable changed;
    bool manualReset = true;
    bool signalled = false;
};

Event::Event(bool manualReset, bool initialState) : state_(std::make_unique<State>()) {
    state_->manualReset = manualReset;
    state_->signalled = initialState;
}

Event::~Event() = default;

void Event::Set() {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->signalled = true;
    if (state_->manualReset)
        state_->changed.notify_all();
    else
        state_->changed.notify_one();
}

void Event::Reset() {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->signalled = false;
}

bool Event::IsSet() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->signalled;
}

WaitResult Event::Wait(int timeoutMs) {
    std::unique_lock<std::mutex> lock(state_->lock);
    if (!WaitFor(state_->changed, lock, timeoutMs, [&] { return state_->signalled; })) return WaitResult::Timeout;
    if (!state_->manualReset) state_->signalled = false;
    return WaitResult::Signalled;
}

std::shared_ptr<Event> Event::Named(const QString& name, bool manualReset, bool initialState) {
    return NamedObject<Event>(name, [&] { return std::make_shared<Event>(manualReset, initialState); });
}

struct Mutex::State {
    std::mutex lock;
    std::condition_variable released;
    std::thread::id owner;
    int depth = 0;
};

Mutex::Mutex() : state_(std::make_unique<State>()) {}
Mutex::~Mutex() = default;

WaitResult Mutex::Wait(int timeoutMs) {
    const auto self = std::this_thread::get_id();
    std::unique_lock<std::mutex> lock(state_->lock);
    if (state_->depth > 0 && state_->owner == self) {
        ++state_->depth;
        return WaitResult::Signalled;
    }
    if (!WaitFor(state_->released, lock, timeoutMs, [&] { return state_->depth == 0; })) return WaitResult::Timeout;
    state_->owner = self;
    state_->depth = 1;
    return WaitResult::Signalled;
}

bool Mutex::Release() {
    std::lock_guard<std::mutex> guard(state_->lock);
    if (state_->depth == 0 || state_->owner != std::this_thread::get_id()) return false;
    if (--state_->depth == 0) {
        state_->owner = {};
        state_->released.notify_one();
    }
    return true;
}

std::shared_ptr<Mutex> Mutex::Named(const QString& name) {
    return NamedObject<Mutex>(name, [] { return std::make_shared<Mutex>(); });
}

WaitResult WaitWhilePumping(Event& event, int timeoutMs, int sliceMs) {
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        PumpMessages();
        int slice = sliceMs;
        if (timeoutMs >= 0) {
            const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - start).count();
            if (elapsed >= timeoutMs) return event.Wait(0);
            slice = static_cast<int>(std::min<long long>(slice, timeoutMs - elapsed));
        }
        if (event.Wait(slice) == WaitResult::Signalled) return WaitResult::Signalled;
    }
}

}  // namespace platform
