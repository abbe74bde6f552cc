#include "platform/messages.h"
#include "platform/sync.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using namespace platform;

namespace {

class Recorder : public MessageTarget {
public:
    std::vector<unsigned> received;
    // Counted after each push: another thread waits on this before it reads `received`.
    std::atomic<std::size_t> receivedCount{0};
    std::atomic<QThread*> handledOn{nullptr};

protected:
    LRESULT OnMessage(unsigned msg, WPARAM wParam, LPARAM lParam) override {
        received.push_back(msg);
        ++receivedCount;
        handledOn = QThread::currentThread();
        return static_cast<LRESULT>(wParam) + lParam;
    }
};

// A target that, while handling, sends to another target on the sender's thread.
class Relay : public MessageTarget {
public:
    QObject* back = nullptr;

protected:
    LRESULT OnMessage(unsigned, WPARAM wParam, LPARAM) override {
        return SendMessage(back, WM_USER + 2, wParam, 1) * 10;
    }
};

// A worker thread that pumps its messages until told to stop.
class PumpingThread : public QThread {
public:
    std::atomic<bool> stop{false};

protected:
    void run() override {
        while (!stop) {
            PumpMessages();
            msleep(2);
        }
    }
};

// Hosts an object on a pumping worker thread for the scope of this value.
class HostedOnWorker {
public:
    explicit HostedOnWorker(QObject* object) {
        object->moveToThread(&thread_);
        thread_.start();
    }
    ~HostedOnWorker() {
        thread_.stop = true;
        thread_.wait();
    }
    QThread* thread() { return &thread_; }

private:
    PumpingThread thread_;
};

TEST(Messages, PostedMessagesArriveInOrderWhenThePumpRuns) {
    Recorder target;
    PostMessage(&target, WM_USER + 1, 0, 0);
    PostMessage(&target, 2024, 6, 0);
    EXPECT_TRUE(target.received.empty());
    PumpMessages();
    EXPECT_EQ(target.received, (std::vector<unsigned>{WM_USER + 1, 2024}));
    EXPECT_FALSE(PostMessage(nullptr, 1, 0, 0));
}

TEST(Messages, APostFilterTakesWhatItWantsFromAnyPosterAndOnlyOnItsThread) {
    Recorder here;
    Recorder elsewhere;
    HostedOnWorker worker(&elsewhere);
    std::atomic<int> taken{0};
    {
        ScopedPostFilter filter([&](unsigned msg, WPARAM wParam, LPARAM) {
            if (msg != 2024 || wParam != 0) return false;
            ++taken;
            return true;
        });
        std::thread poster([&] {
            PostMessage(&here, 2024, 0, 0);  // taken
            PostMessage(&here, 2024, 1, 0);  // delivered
            PostMessage(&elsewhere, 2024, 0, 0);  // another thread's object: delivered
        });
        poster.join();
        PumpMessages();
        EXPECT_EQ(taken, 1);
        EXPECT_EQ(here.received, (std::vector<unsigned>{2024}));
    }
    PostMessage(&here, 2024, 0, 0);
    PumpMessages();
    EXPECT_EQ(here.received.size(), 2u) << "without the filter every message arrives";
    for (int i = 0; i < 100 && elsewhere.receivedCount == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(elsewhere.received, (std::vector<unsigned>{2024}));
}

TEST(Messages, SendRunsOnTheTargetThreadAndReturnsItsResult) {
    Recorder target;
    HostedOnWorker worker(&target);
    EXPECT_EQ(SendMessage(&target, 1324, 5, 7), 12);
    EXPECT_EQ(target.handledOn.load(), worker.thread());
}

TEST(Messages, SendingBackDuringASendDoesNotDeadlock) {
    Relay relay;
    Recorder local;
    relay.back = &local;
    HostedOnWorker worker(&relay);
    EXPECT_EQ(SendMessage(&relay, WM_USER + 1, 4, 0), 50);  // (4 + 1) * 10
    EXPECT_EQ(local.handledOn.load(), QThread::currentThread());
}

TEST(Messages, SendToAThreadThatEndedReturnsAtOnce) {
    QThread ended;
    Recorder target;
    target.moveToThread(&ended);
    ended.start();
    ended.quit();
    ended.wait();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SendMessage(&target, WM_USER, 1, 1), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(Messages, ThreadMessagesWakeAWaitingThread) {
    std::atomic<ThreadId> workerId{0};
    std::atomic<unsigned> got{0};
    std::atomic<bool> timedOutFirst{false};
    Event ready(true, false);
    std::thread worker([&] {
        workerId = CurrentThreadId();
        timedOutFirst = !WaitThreadMessage(20);
        ready.Set();
        if (WaitThreadMessage(5000)) {
            ThreadMessage m;
            if (PeekThreadMessage(&m)) got = m.msg + static_cast<unsigned>(m.lParam);
        }
    });
    ASSERT_EQ(ready.Wait(5000), WaitResult::Signalled);
    EXPECT_TRUE(PostThreadMessage(workerId, 2024, 0, 3));
    worker.join();
    EXPECT_TRUE(timedOutFirst);
    EXPECT_EQ(got.load(), 2027u);
    ThreadMessage none;
    EXPECT_FALSE(PeekThreadMessage(&none));
}

TEST(Sync, WaitWhilePumpingDeliversMessagesMeanwhile) {
    Recorder target;
    Event stop(true, false);
    std::thread poster([&] {
        PostMessage(&target, 2024, 1, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(120));
        stop.Set();
    });
    EXPECT_EQ(WaitWhilePumping(stop, 5000), WaitResult::Signalled);
    poster.join();
    EXPECT_EQ(target.received, std::vector<unsigned>{2024});
    Event never(true, false);
    EXPECT_EQ(WaitWhilePumping(never, 120), WaitResult::Timeout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
