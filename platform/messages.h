#pragma once
// Window messages over Qt events. A message target (the stand-in for a window handle)
// is any QObject; targets that handle messages derive from MessageTarget. Posted
// messages are delivered on the target's thread when that thread pumps its events;
// sent messages run the handler on the target's thread and return its result.
// Thread messages go to a thread's own queue and are read with PeekThreadMessage.

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QThread>

#include <cstdint>
#include <functional>

namespace platform {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr unsigned WM_USER = 0x0400;

// Event carrying one message to a QObject.
class MessageEvent : public QEvent {
public:
    MessageEvent(unsigned msg, WPARAM wParam, LPARAM lParam);
    static QEvent::Type TypeId();

    unsigned msg;
    WPARAM wParam;
    LPARAM lParam;
};

// Base for objects that receive messages (pages, dialogs, encoder owners).
class MessageTarget : public QObject {
public:
    using QObject::QObject;

protected:
    // Handles one message; the result is what SendMessage returns.
    virtual LRESULT OnMessage(unsigned msg, WPARAM wParam, LPARAM lParam) = 0;
    bool event(QEvent* e) override;

    friend LRESULT SendMessage(QObject*, unsigned, WPARAM, LPARAM);
};

// Queues the message for the target's thread. False when the target is null.
bool PostMessage(QObject* target, unsigned msg, WPARAM wParam, LPARAM lParam);

// While it lives, messages posted to any object of the thread that created it go through
// `filter` first (on the posting thread, so it must be thread-safe); a message the filter
// takes (returns true for) is removed and never delivered. One filter per thread.
class ScopedPostFilter {
public:
    using Filter = std::function<bool(unsigned msg, WPARAM wParam, LPARAM lParam)>;
    explicit ScopedPostFilter(Filter filter);
    ~ScopedPostFilter();
    ScopedPostFilter(const ScopedPostFilter&) = delete;
    ScopedPostFilter& operator=(const ScopedPostFilter&) = delete;

private:
    QThread* thread_;
};

// Runs the target's handler and returns its result: directly when the target lives on
// this thread, otherwise on the target's thread while this one waits (its own sent
// messages are still served, so two threads sending to each other do not deadlock).
// Returns 0 when the target is null or its thread has ended.
LRESULT SendMessage(QObject* target, unsigned msg, WPARAM wParam, LPARAM lParam);

// Dispatches the calling thread's pending events (posted and sent messages, timers,
// GLib sources). Returns at once when nothing is pending.
void PumpMessages();

// Thread messages: every thread has a queue, addressed by its id.
using ThreadId = std::uint64_t;
ThreadId CurrentThreadId();

struct ThreadMessage {
    unsigned msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Appends to the thread's queue and wakes it if it waits in WaitThreadMessage.
bool PostThreadMessage(ThreadId thread, unsigned msg, WPARAM wParam, LPARAM lParam);

// Takes the oldest message of the calling thread's queue, if any.
bool PeekThreadMessage(ThreadMessage* out);

// Waits up to timeoutMs for a message in the calling thread's queue (without taking it).
bool WaitThreadMessage(int timeoutMs);

}  // namespace platform
