#pragma once
// Synchronisation objects with Windows semantics: events (manual or automatic reset,
// wait with timeout) and process-wide named events and mutexes.

#include <QString>

#include <memory>

namespace platform {

constexpr int INFINITE_WAIT = -1;

enum class WaitResult { Signalled, Timeout };

class Event {
public:
    // A manual-reset event stays signalled until Reset; an auto-reset event releases
    // one waiter and resets itself.
    Event(bool manualReset, bool initialState);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // timeoutMs < 0 waits forever.
    WaitResult Wait(int timeoutMs);

    // The process-wide event of that name, created with the given settings on first use.
    static std::shared_ptr<Event> Named(const QString& name, bool manualReset, bool initialState);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// A recursive mutex owned by one thread at a time, with timed waits.
class Mutex {
public:
    Mutex();
    ~Mutex();
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    WaitResult Wait(int timeoutMs);
    // False when the calling thread does not own it.
    bool Release();

    static std::shared_ptr<Mutex> Named(const QString& name);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Waits for `event` in slices of `sliceMs`, dispatching this thread's messages between
// slices, so that a worker that owns an encoder keeps receiving its events.
WaitResult WaitWhilePumping(Event& event, int timeoutMs = INFINITE_WAIT, int sliceMs = 50);

}  // namespace platform
