#include "platform/messages.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "platform/event_handover.h"

namespace platform {
namespace {

// State shared by a sender and the event that carries its message.
struct SendState {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    LRESULT result = 0;

    void Finish(LRESULT value) {
        std::lock_guard<std::mutex> guard(lock);
        if (finished) return;
        result = value;
        finished = true;
        done.notify_all();
    }
};

// Fixed event numbers, so that messages cross between the program and a component
// library that carries its own copy of this layer. Qt hands out registered numbers from
// QEvent::MaxUser downwards, so these low user numbers do not meet them.
constexpr auto kPostedMessageEvent = static_cast<QEvent::Type>(QEvent::User + 0x52C);
constexpr auto kSentMessageEvent = static_cast<QEvent::Type>(QEvent::User + 0x52D);

QEvent::Type SendEventType() { return kSentMessageEvent; }

// A message sent from another thread. If the target dies before handling it, the
// destructor releases the sender with result 0.
class SendEvent : public MessageEvent {
public:
    SendEvent(unsigned msg, WPARAM wParam, LPARAM lParam, std::shared_ptr<SendState> state)
        : MessageEvent(msg, wParam, lParam), state(std::move(state)) {
        t = SendEventType();
    }
    ~SendEvent() override { state->Finish(0); }
    std::shared_ptr<SendState> state;
};

struct ThreadQueue {
    std::mutex lock;
    std::condition_variable arrived;
    std::deque<ThreadMessage> messages;
};

// The queues of every thread. Never destroyed: a thread that used the layer may end
// after static destruction has begun (a worker still running when main returns, joined
// by another static's destructor) and its queue owner must still find the map.
struct QueueRegistry {
    std::mutex lock;
    std::map<ThreadId, std::shared_ptr<ThreadQueue>> queues;
};

QueueRegistry& Registry() {
    static QueueRegistry* const registry = new QueueRegistry;
    return *registry;
}

std::shared_ptr<ThreadQueue> QueueOf(ThreadId thread, bool create) {
    QueueRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    auto it = registry.queues.find(thread);
    if (it != registry.queues.end()) return it->second;
    if (!create) return nullptr;
    auto queue = std::make_shared<ThreadQueue>();
    registry.queues[thread] = queue;
    return queue;
}

// Drops the calling thread's queue when the thread ends, so a reused id starts empty.
struct QueueOwner {
    ~QueueOwner() {
        QueueRegistry& registry = Registry();
        std::lock_guard<std::mutex> guard(registry.lock);
        registry.queues.erase(CurrentThreadId());
    }
};

std::shared_ptr<ThreadQueue> OwnQueue() {
    thread_local QueueOwner owner;
    (void)owner;
    return QueueOf(CurrentThreadId(), true);
}

// The post filters of every thread; never destroyed, for the same reason as the queues.
struct FilterRegistry {
    std::mutex lock;
    std::atomic<int> count{0};
    std::map<QThread*, ScopedPostFilter::Filter> filters;
};

FilterRegistry& Filters() {
    static FilterRegistry* const registry = new FilterRegistry;
    return *registry;
}

// Whether a filter of the target's thread takes the message.
bool FilterTakes(QObject* target, unsigned msg, WPARAM wParam, LPARAM lParam) {
    FilterRegistry& registry = Filters();
    if (registry.count.load() == 0) return false;
    ScopedPostFilter::Filter filter;
    {
        std::lock_guard<std::mutex> guard(registry.lock);
        auto it = registry.filters.find(target->thread());
        if (it == registry.filters.end()) return false;
        filter = it->second;
    }
    return filter(msg, wParam, lParam);
}

// The longest a pump goes on serving events that keep arriving.
constexpr int kPumpSliceMs = 50;

}  // namespace

ScopedPostFilter::ScopedPostFilter(Filter filter) : thread_(QThread::currentThread()) {
    FilterRegistry& registry = Filters();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.filters[thread_] = std::move(filter);
    registry.count = static_cast<int>(registry.filters.size());
}

ScopedPostFilter::~ScopedPostFilter() {
    FilterRegistry& registry = Filters();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.filters.erase(thread_);
    registry.count = static_cast<int>(registry.filters.size());
}

MessageEvent::MessageEvent(unsigned msg, WPARAM wParam, LPARAM lParam)
    : QEvent(TypeId()), msg(msg), wParam(wParam), lParam(lParam) {}

QEvent::Type MessageEvent::TypeId() { return kPostedMessageEvent; }

bool MessageTarget::event(QEvent* e) {
    MarkEventReceived(e);
    if (e->type() == MessageEvent::TypeId()) {
        auto* m = static_cast<MessageEvent*>(e);
        OnMessage(m->msg, m->wParam, m->lParam);
        return true;
    }
    if (e->type() == SendEventType()) {
        auto* m = static_cast<SendEvent*>(e);
        m->state->Finish(OnMessage(m->msg, m->wParam, m->lParam));
        return true;
    }
    return QObject::event(e);
}

bool PostMessage(QObject* target, unsigned msg, WPARAM wParam, LPARAM lParam) {
    if (!target) return false;
    if (FilterTakes(target, msg, wParam, lParam)) return true;
    auto* event = new MessageEvent(msg, wParam, lParam);
    MarkEventPosted(event);
    QCoreApplication::postEvent(target, event);
    return true;
}

LRESULT SendMessage(QObject* target, unsigned msg, WPARAM wParam, LPARAM lParam) {
    if (!target) return 0;
    QThread* targetThread = target->thread();
    auto state = std::make_shared<SendState>();
    if (targetThread == QThread::currentThread()) {
        if (auto* handler = dynamic_cast<MessageTarget*>(target)) return handler->OnMessage(msg, wParam, lParam);
        // A target of another copy of this layer (or a widget handling messages itself)
        // answers through the sent-message event.
        SendEvent event(msg, wParam, lParam, state);
        QCoreApplication::sendEvent(target, &event);
        return state->result;
    }
    QPointer<QObject> guard(target);
    auto* event = new SendEvent(msg, wParam, lParam, state);
    MarkEventPosted(event);
    QCoreApplication::postEvent(target, event);
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(state->lock);
            if (state->done.wait_for(lock, std::chrono::milliseconds(10), [&] { return state->finished; }))
                return state->result;
        }
        if (!guard || !targetThread || targetThread->isFinished()) return 0;
        // Serve messages sent to this thread meanwhile, as a blocked sender does.
        QCoreApplication::sendPostedEvents(nullptr, SendEventType());
    }
}

void PumpMessages() {
    if (QThread::currentThread()->eventDispatcher() && QCoreApplication::instance()) {
        // One pass of the event loop serves only the sources of the highest priority ready:
        // go on while anything is pending, so posted messages cannot starve GLib sources
        // (the encoder's bus watch) of a thread that posts to itself often.
        QCoreApplication::processEvents(QEventLoop::AllEvents, kPumpSliceMs);
    } else {
        QCoreApplication::sendPostedEvents();
    }
}

ThreadId CurrentThreadId() {
    return static_cast<ThreadId>(::syscall(SYS_gettid));
}

bool PostThreadMessage(ThreadId thread, unsigned msg, WPARAM wParam, LPARAM lParam) {
    auto queue = QueueOf(thread, true);  // the queue exists from the first message on
    if (!queue) return false;
    std::lock_guard<std::mutex> guard(queue->lock);
    queue->messages.push_back({msg, wParam, lParam});
    queue->arrived.notify_all();
    return true;
}

bool PeekThreadMessage(ThreadMessage* out) {
    auto queue = OwnQueue();
    std::lock_guard<std::mutex> guard(queue->lock);
    if (queue->messages.empty()) return false;
    if (out) *out = queue->messages.front();
    queue->messages.pop_front();
    return true;
}

bool WaitThreadMessage(int timeoutMs) {
    auto queue = OwnQueue();
    std::unique_lock<std::mutex> lock(queue->lock);
    auto ready = [&] { return !queue->messages.empty(); };
    if (timeoutMs < 0) {
        queue->arrived.wait(lock, ready);
        return true;
    }
    return queue->arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
}

}  // namespace platform
