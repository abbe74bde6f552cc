#include "wavetap/stream/viewer_connection.h"

#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace wavetap {

namespace {

constexpr std::size_t kMaxIovecs = 64;
constexpr std::size_t kReadChunk = 4096;

}  // namespace

ViewerConnection::ViewerConnection(int fd, std::uint32_t clientId, std::string peerAddress, Clock::time_point now)
    : fd_(fd), clientId_(clientId), peerAddress_(std::move(peerAddress)), since_(now), lastProgress_(now)
{
}

ViewerConnection::~ViewerConnection()
{
    Close();
}

void ViewerConnection::Close()
{
    if (closed_)
        return;
    ::close(fd_);
    closed_ = true;
    queue_.clear();
    queuedBytes_ = 0;
    inSocket_.clear();
}

void ViewerConnection::OnReadable(Clock::time_point now)
{
    char buffer[kReadChunk];
    for (;;) {
        if (closed_)
            return;
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got == 0) {
            // A viewer may end its side after the request and go on reading the stream.
            if (phase_ == Phase::Streaming || phase_ == Phase::WaitingForStream)
                peerFinished_ = true;
            else
                Close();  // gone before asking, or done with a closing answer
            return;
        }
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                Close();
            return;
        }
        if (phase_ != Phase::ReadingRequest)
            continue;  // nothing more is expected from a viewer
        const HttpRequest::State state = request_.Feed(buffer, static_cast<std::size_t>(got));
        if (state == HttpRequest::State::NotHttp) {
            // Another protocol (players try MMS over TCP first): closing at once lets them
            // fall back to HTTP without waiting for a timeout.
            Close();
            return;
        }
        if (state == HttpRequest::State::Malformed) {
            Answer(ErrorResponse(400), now);
            return;
        }
        if (request_.CurrentState() == HttpRequest::State::Complete)
            return;
    }
}

void ViewerConnection::Flush(Clock::time_point now)
{
    while (!closed_ && !queue_.empty()) {
        iovec iov[kMaxIovecs * 2];
        std::size_t count = 0;
        for (auto it = queue_.begin(); it != queue_.end() && count + 2 <= std::size(iov); ++it) {
            std::size_t skip = it->sent;
            if (skip < it->prefixSize) {
                iov[count++] = {it->prefix.data() + skip, it->prefixSize - skip};
                skip = 0;
            } else {
                skip -= it->prefixSize;
            }
            iov[count++] = {const_cast<char*>(it->data.constData()) + skip,
                            static_cast<std::size_t>(it->data.size()) - skip};
        }
        msghdr message{};
        message.msg_iov = iov;
        message.msg_iovlen = count;
        ssize_t sent = ::sendmsg(fd_, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                Close();
            return;
        }
        lastProgress_ = now;
        Sent(static_cast<std::size_t>(sent));
    }
    if (!closed_ && queue_.empty()) {
        lastProgress_ = now;
        if (phase_ == Phase::Closing && !writeShut_) {
            // All is sent: end our side and wait for the peer to close, so no reset loses data.
            ::shutdown(fd_, SHUT_WR);
            writeShut_ = true;
        }
    }
}

void ViewerConnection::Sent(std::size_t count)
{
    queuedBytes_ -= count;
    written_ += count;
    while (count > 0) {
        OutItem& front = queue_.front();
        const std::size_t rest = front.Size() - front.sent;
        if (count < rest) {
            front.sent += count;
            break;
        }
        count -= rest;
        inSocket_.emplace_back(written_ - count, front.due);
        queue_.pop_front();
    }
}

Clock::duration ViewerConnection::Lag(Clock::time_point now)
{
    int unacknowledged = 0;
    if (!closed_ && ::ioctl(fd_, SIOCOUTQ, &unacknowledged) == 0 && unacknowledged >= 0) {
        const std::uint64_t taken = written_ - std::min<std::uint64_t>(written_, static_cast<std::uint64_t>(unacknowledged));
        while (!inSocket_.empty() && inSocket_.front().first <= taken)
            inSocket_.pop_front();
    }
    if (!inSocket_.empty())
        return now - inSocket_.front().second;
    if (!queue_.empty())
        return now - queue_.front().due;
    return Clock::duration::zero();
}

void ViewerConnection::BeginClosing(Clock::time_point now)
{
    phase_ = Phase::Closing;
    since_ = now;
}

void ViewerConnection::Answer(const QByteArray& response, Clock::time_point now)
{
    QueueRaw(response, now);
    BeginClosing(now);
}

void ViewerConnection::WaitForStream(ViewerKind kind, Clock::time_point now)
{
    kind_ = kind;
    phase_ = Phase::WaitingForStream;
    since_ = now;
}

void ViewerConnection::StartStreaming(const StreamStart& start, Clock::time_point now)
{
    const bool framed = kind_ == ViewerKind::Play;
    generation_ = start.generation;
    lastSeq_ = start.lastSeq;
    QueueRaw(framed ? PlayResponseHead(clientId_) : PlainResponseHead(), now);
    QueueRaw(framed ? FramedHeader(start.header) : start.header, now);
    for (const StreamPacket& packet : start.backlog)
        QueuePacket(packet, now, &packet == &start.backlog.front());
    needStart_ = start.backlog.empty() && !start.startAnyPacket;
    phase_ = Phase::Streaming;
    since_ = now;
    lastProgress_ = now;
}

void ViewerConnection::Offer(const StreamPacket& packet, std::size_t maxQueuedBytes, Clock::time_point now)
{
    if (phase_ != Phase::Streaming || closed_ || packet.seq <= lastSeq_)
        return;
    lastSeq_ = packet.seq;
    if (packet.generation != generation_) {
        EndStream(now);  // the encoder started a new stream; players reconnect to it
        return;
    }
    const std::size_t size = static_cast<std::size_t>(packet.bytes.size()) + (kind_ == ViewerKind::Play ? kDataFramePrefixSize : 0);
    if (queuedBytes_ + size > maxQueuedBytes) {
        // The viewer does not keep up: drop what waits and resume at the next start point.
        DropQueuedPackets();
        needStart_ = true;
    }
    if (needStart_ && !packet.startPoint) {
        ++skipped_;
        return;
    }
    const bool joining = needStart_;
    needStart_ = false;
    QueuePacket(packet, now, joining);
}

void ViewerConnection::EndStream(Clock::time_point now)
{
    if (kind_ == ViewerKind::Play && phase_ == Phase::Streaming)
        QueueRaw(EndOfStreamPacket(), now);
    BeginClosing(now);
}

bool ViewerConnection::StalledFor(Clock::duration limit, Clock::time_point now) const
{
    return !queue_.empty() && now - lastProgress_ > limit;
}

void ViewerConnection::QueueRaw(const QByteArray& bytes, Clock::time_point now)
{
    OutItem item;
    item.data = bytes;
    item.due = now;
    Push(std::move(item));
}

void ViewerConnection::QueuePacket(const StreamPacket& packet, Clock::time_point now, bool joining)
{
    OutItem item;
    item.isPacket = true;
    item.due = now;
    item.data = joining && !packet.joinBytes.isEmpty() ? packet.joinBytes : packet.bytes;
    if (kind_ == ViewerKind::Play) {
        item.prefix = DataPacketPrefix(nextLocationId_++, static_cast<std::uint32_t>(item.data.size()));
        item.prefixSize = item.prefix.size();
    }
    Push(std::move(item));
}

void ViewerConnection::Push(OutItem item)
{
    queuedBytes_ += item.Size();
    queue_.push_back(std::move(item));
}

void ViewerConnection::DropQueuedPackets()
{
    // A packet already partly sent must be finished, or the framing breaks.
    const auto dropped = std::remove_if(queue_.begin(), queue_.end(),
                                        [](const OutItem& item) { return item.isPacket && item.sent == 0; });
    for (auto it = dropped; it != queue_.end(); ++it) {
        queuedBytes_ -= it->Size();
        ++skipped_;
    }
    queue_.erase(dropped, queue_.end());
}

}  // namespace wavetap
