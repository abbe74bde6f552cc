#include "engine/push_stream.h"

#include "wavetap/stream/asf_packet_padding.h"
#include "wavetap/stream/asf_stream_splitter.h"
#include "wavetap/stream/push_framing.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace wavetap::engine {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPollMs = 100;
constexpr char kThreadName[] = "wavetap-push";

}  // namespace

PushStream::PushStream(PushSession session, PushTimeouts timeouts, std::int64_t bodySize)
    : session_(std::move(session)),
      timeouts_(timeouts),
      bodySize_(bodySize),
      splitter_(std::make_unique<AsfStreamSplitter>()),
      wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
}

PushStream::~PushStream()
{
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    Wake();
    if (thread_.joinable())
        thread_.join();
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

void PushStream::Start(LostHandler lost)
{
    lost_ = std::move(lost);
    lastProgress_ = Clock::now();
    thread_ = std::thread(&PushStream::Run, this);
    pthread_setname_np(thread_.native_handle(), kThreadName);
}

void PushStream::Wake()
{
    if (wakeFd_ < 0)
        return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

void PushStream::FeedAsf(const char* data, std::size_t size)
{
    if (!data || size == 0)
        return;
    {
        std::lock_guard lock(mutex_);
        if (lost_flag_ || finishing_)
            return;
        std::vector<AsfUnit> found;
        splitter_->Feed(data, size, found);
        for (AsfUnit& unit : found) {
            queuedBytes_ += static_cast<std::size_t>(unit.bytes.size());
            units_.push_back({unit.kind == AsfUnit::Kind::Header, std::move(unit.bytes)});
        }
        if (found.empty())
            return;
    }
    Wake();
}

void PushStream::Finish(int waitMs)
{
    std::unique_lock lock(mutex_);
    finishing_ = true;
    if (thread_.joinable()) {
        lock.unlock();
        Wake();
        lock.lock();
        done_.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return finished_; });
    }
    stopped_ = true;
    lock.unlock();
    Wake();
    if (thread_.joinable())
        thread_.join();
    if (session_.connection)
        session_.connection->Close();
}

bool PushStream::Lost() const
{
    std::lock_guard lock(mutex_);
    return lost_flag_;
}

void PushStream::Run()
{
    while (Step()) {
    }
    if (session_.connection)
        session_.connection->Close();
    std::lock_guard lock(mutex_);
    finished_ = true;
    done_.notify_all();
}

void PushStream::Fail(const QString& reason)
{
    bool report = false;
    {
        std::lock_guard lock(mutex_);
        report = !lost_flag_ && !finishing_;
        lost_flag_ = true;
        units_.clear();
        queuedBytes_ = 0;
    }
    phase_ = Phase::Done;
    if (session_.connection)
        session_.connection->Close();
    if (report && lost_)
        lost_(reason);
}

void PushStream::Append(const QByteArray& packet)
{
    if (outSent_ > 0 && outSent_ == out_.size()) {
        out_.clear();
        outSent_ = 0;
    }
    if (out_.isEmpty())
        lastProgress_ = Clock::now();
    out_.append(packet);
}

bool PushStream::BeginRequest(QString* reason)
{
    if (!session_.connection)
        session_.connection = std::make_unique<PushConnection>();
    // The server may close the connection between requests: push start goes on a new one.
    if (session_.connection->PeerClosed() &&
        !session_.connection->Connect(session_.target.host, session_.target.port, timeouts_.connectMs, reason))
        return false;
    const std::string path = session_.target.path.toStdString();
    const std::string authorization =
        session_.authorization->Active() ? session_.authorization->For("POST", path) : std::string();
    Append(PushStartRequest(session_.target, session_.pushId, authorization, bodySize_));
    remaining_ = bodySize_;
    if (!headerSent_) {
        std::unique_lock lock(mutex_);
        while (!units_.empty() && !units_.front().header) {
            queuedBytes_ -= static_cast<std::size_t>(units_.front().bytes.size());
            units_.pop_front();
        }
        if (units_.empty())
            return true;  // checked by the caller: a header is waiting
        const Unit unit = std::move(units_.front());
        units_.pop_front();
        queuedBytes_ -= static_cast<std::size_t>(unit.bytes.size());
        lock.unlock();
        const QByteArray packet = push::HeaderPacket(unit.bytes);
        if (packet.isEmpty()) {
            *reason = QString("the ASF header (%1 bytes) is too large for a push").arg(unit.bytes.size());
            return false;
        }
        Append(packet);
        remaining_ -= packet.size();
        headerSent_ = true;
    }
    phase_ = Phase::Streaming;
    return true;
}

void PushStream::TakeUnits()
{
    std::unique_lock lock(mutex_);
    if (queuedBytes_ > kMaxQueuedBytes) {
        lock.unlock();
        Fail("the media server does not take the stream as fast as it is encoded");
        return;
    }
    while (!units_.empty()) {
        const Unit& unit = units_.front();
        QByteArray packets;
        if (unit.header) {
            // The writer started a new stream: end this play list entry, announce the new header.
            const QByteArray change = push::StreamChangePacket(unit.bytes);
            if (!change.isEmpty())
                packets = push::EndOfStreamPacket(push::kEndOfEntry) + change;
        } else {
            packets = push::DataPacket(asf::StripPadding(unit.bytes).value_or(unit.bytes));
        }
        if (packets.isEmpty()) {
            const qsizetype size = unit.bytes.size();
            lock.unlock();
            Fail(QString("an ASF unit of %1 bytes is too large for a push").arg(size));
            return;
        }
        // Room for the final $E is always kept; what does not fit goes in the next request.
        if (remaining_ - packets.size() < static_cast<std::int64_t>(push::kEndOfStreamSize)) {
            for (const QByteArray& filler : push::FillerPackets(static_cast<std::size_t>(remaining_)))
                Append(filler);
            remaining_ = 0;
            phase_ = Phase::AwaitingAnswer;
            answerDeadline_ = Clock::time_point::max();
            return;
        }
        Append(packets);
        remaining_ -= packets.size();
        queuedBytes_ -= static_cast<std::size_t>(unit.bytes.size());
        units_.pop_front();
    }
    if (finishing_) {
        Append(push::EndOfStreamPacket(push::kEndOfPush));
        remaining_ -= static_cast<std::int64_t>(push::kEndOfStreamSize);
        phase_ = Phase::Ending;
    }
}

bool PushStream::ReadAnswer(QString* reason)
{
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::recv(session_.connection->Fd(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (got == 0) {
            *reason = "the media server closed the connection";
            return false;
        }
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return true;
            *reason = "the connection to the media server failed";
            return false;
        }
        if (answer_.CurrentState() != http::ResponseHead::State::Incomplete)
            continue;  // the body of an answer: nothing in it matters
        answer_.Feed(buffer, static_cast<std::size_t>(got));
        if (answer_.CurrentState() == http::ResponseHead::State::Malformed) {
            *reason = "the media server's answer is not HTTP";
            return false;
        }
        if (answer_.CurrentState() != http::ResponseHead::State::Complete)
            continue;
        const int status = answer_.Status();
        if (phase_ != Phase::AwaitingAnswer || status < 200 || status > 299) {
            *reason = QString("the media server ended the push: %1 %2")
                          .arg(status)
                          .arg(QString::fromStdString(answer_.Reason()));
            return false;
        }
        if (const auto pushId = answer_.Cookie("push-id"))
            session_.pushId = QString::fromStdString(*pushId);
        answer_ = http::ResponseHead();
        phase_ = Phase::NeedRequest;  // the next push start may go on a new connection
        return true;
    }
}

bool PushStream::Step()
{
    {
        std::lock_guard lock(mutex_);
        if (stopped_)
            return false;
    }
    QString reason;
    if (phase_ == Phase::WaitingForHeader || phase_ == Phase::NeedRequest) {
        bool haveHeader = false;
        bool finishing = false;
        {
            std::lock_guard lock(mutex_);
            finishing = finishing_;
            for (const Unit& unit : units_)
                haveHeader = haveHeader || unit.header;
        }
        if (phase_ == Phase::WaitingForHeader && !haveHeader) {
            if (finishing)
                return false;  // nothing was ever encoded
        } else if (!BeginRequest(&reason)) {
            Fail(reason);
            return false;
        }
    }
    if (phase_ == Phase::Streaming)
        TakeUnits();
    if (phase_ == Phase::Done)
        return false;

    const bool haveOutput = outSent_ < out_.size();
    // Between requests the server may close the connection; only a request in progress watches it.
    const bool inRequest = phase_ == Phase::Streaming || phase_ == Phase::AwaitingAnswer || phase_ == Phase::Ending;
    pollfd fds[2] = {{inRequest && session_.connection ? session_.connection->Fd() : -1,
                      static_cast<short>(POLLIN | (haveOutput ? POLLOUT : 0)), 0},
                     {wakeFd_, POLLIN, 0}};
    if (::poll(fds, 2, kPollMs) < 0 && errno != EINTR) {
        Fail("the push cannot wait for its connection");
        return false;
    }
    const Clock::time_point now = Clock::now();
    if (fds[1].revents & POLLIN) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t drained = ::read(wakeFd_, &count, sizeof count);
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
        if (!ReadAnswer(&reason)) {
            if (phase_ == Phase::Ending && outSent_ == out_.size())
                return false;  // the server closed after the end of the stream, as it may
            Fail(reason);
            return false;
        }
    }
    if (haveOutput && (fds[0].revents & POLLOUT)) {
        const long sent = SendSome(session_.connection->Fd(), out_, outSent_, &reason);
        if (sent < 0) {
            Fail(reason);
            return false;
        }
        if (sent > 0) {
            outSent_ += sent;
            lastProgress_ = now;
        }
    }
    if (outSent_ < out_.size() && now - lastProgress_ > std::chrono::milliseconds(timeouts_.stallMs)) {
        Fail(QString("the media server took nothing of the stream for %1 s").arg(timeouts_.stallMs / 1000.0));
        return false;
    }
    if (outSent_ == out_.size()) {
        out_.clear();
        outSent_ = 0;
        if (phase_ == Phase::Ending) {
            ::shutdown(session_.connection->Fd(), SHUT_WR);
            return false;
        }
        if (phase_ == Phase::AwaitingAnswer && answerDeadline_ == Clock::time_point::max())
            answerDeadline_ = now + std::chrono::milliseconds(timeouts_.responseMs);
    }
    if (phase_ == Phase::AwaitingAnswer && now > answerDeadline_) {
        Fail("the media server did not answer the end of a push start request");
        return false;
    }
    return true;
}

}  // namespace wavetap::engine
