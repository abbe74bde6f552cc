#pragma once
// The stream of a push once its setup succeeded: a thread that sends push start requests
// whose bodies carry the ASF header ($H) and data packets ($D, padding removed), starts
// a new request when the body's announced length runs out ($F filler, the server's
// answer, the next push start), announces a new header ($E 1 and $C), and ends with $E 0.
// The ASF bytes are fed from any thread and never wait on the network; a connection
// that fails, closes, answers an error or takes nothing for too long is reported once.

#include "engine/push_session.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace wavetap {
class AsfStreamSplitter;
}

namespace wavetap::engine {

class PushStream {
public:
    using LostHandler = std::function<void(const QString& reason)>;

    // bodySize is the Content-Length of each push start (Length-Remaining).
    PushStream(PushSession session, PushTimeouts timeouts, std::int64_t bodySize);
    ~PushStream();
    PushStream(const PushStream&) = delete;
    PushStream& operator=(const PushStream&) = delete;

    // Starts sending; `lost` runs on the sender thread, at most once.
    void Start(LostHandler lost);
    // Raw bytes of the streamable ASF output, in pieces of any size. Any thread.
    void FeedAsf(const char* data, std::size_t size);
    // Ends the push with $E 0 and waits up to waitMs for it to leave; then closes.
    void Finish(int waitMs);
    // Whether the connection was lost (the handler has run or is running).
    bool Lost() const;

    // Queued stream bytes past which the server counts as not taking the stream.
    static constexpr std::size_t kMaxQueuedBytes = 8 * 1024 * 1024;

private:
    struct Unit {
        bool header = false;
        QByteArray bytes;
    };
    enum class Phase { WaitingForHeader, Streaming, AwaitingAnswer, NeedRequest, Ending, Done };

    void Run();
    bool Step();
    bool BeginRequest(QString* reason);
    void TakeUnits();
    bool ReadAnswer(QString* reason);
    void Append(const QByteArray& packet);
    void Fail(const QString& reason);
    void Wake();

    PushSession session_;
    const PushTimeouts timeouts_;
    const std::int64_t bodySize_;
    LostHandler lost_;

    mutable std::mutex mutex_;
    std::unique_ptr<AsfStreamSplitter> splitter_;
    std::deque<Unit> units_;
    std::size_t queuedBytes_ = 0;
    bool finishing_ = false;
    bool lost_flag_ = false;
    bool stopped_ = false;
    std::condition_variable done_;
    bool finished_ = false;

    // Sender thread only.
    Phase phase_ = Phase::WaitingForHeader;
    bool headerSent_ = false;
    std::int64_t remaining_ = 0;
    QByteArray out_;
    long outSent_ = 0;
    std::chrono::steady_clock::time_point lastProgress_;
    std::chrono::steady_clock::time_point answerDeadline_;
    http::ResponseHead answer_;

    int wakeFd_ = -1;
    std::thread thread_;
};

}  // namespace wavetap::engine
