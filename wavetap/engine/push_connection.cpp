#include "engine/push_connection.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace wavetap::engine {

namespace {

using Clock = std::chrono::steady_clock;

// A small send buffer bounds how much a stalled server can swallow before the push
// notices that nothing moves any more.
constexpr int kSendBufferBytes = 64 * 1024;
constexpr long long kMaxSkippedBody = 64 * 1024;

int MsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

QString ErrnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error)) + QString(" (errno %1)").arg(error);
}

}  // namespace

PushConnection::~PushConnection()
{
    Close();
}

void PushConnection::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    pending_.clear();
}

bool PushConnection::Connect(const QString& host, int port, int timeoutMs, QString* reason)
{
    Close();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const QByteArray service = QByteArray::number(port);
    const int lookup = ::getaddrinfo(host.toUtf8().constData(), service.constData(), &hints, &found);
    if (lookup != 0 || !found) {
        *reason = QString("cannot resolve %1: %2").arg(host, QString::fromLocal8Bit(::gai_strerror(lookup)));
        return false;
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    QString lastError = "no address";
    for (addrinfo* address = found; address && fd_ < 0; address = address->ai_next) {
        const int fd = ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                address->ai_protocol);
        if (fd < 0)
            continue;
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kSendBufferBytes, sizeof kSendBufferBytes);
        int error = 0;
        if (::connect(fd, address->ai_addr, address->ai_addrlen) != 0) {
            error = errno;
            if (error == EINPROGRESS) {
                pollfd p{fd, POLLOUT, 0};
                const int ready = ::poll(&p, 1, MsLeft(deadline));
                socklen_t length = sizeof error;
                if (ready <= 0)
                    error = ETIMEDOUT;
                else if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                    error = errno;
            }
        }
        if (error == 0) {
            fd_ = fd;
        } else {
            lastError = ErrnoText(error);
            ::close(fd);
        }
    }
    ::freeaddrinfo(found);
    if (fd_ < 0) {
        *reason = QString("cannot connect to %1:%2: %3").arg(host).arg(port).arg(lastError);
        return false;
    }
    return true;
}

bool PushConnection::WaitFor(short events, int timeoutMs) const
{
    pollfd p{fd_, events, 0};
    for (;;) {
        const int ready = ::poll(&p, 1, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        return ready > 0;
    }
}

bool PushConnection::SendAll(const QByteArray& bytes, int timeoutMs, QString* reason)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    long offset = 0;
    while (offset < bytes.size()) {
        const long sent = SendSome(fd_, bytes, offset, reason);
        if (sent < 0)
            return false;
        offset += sent;
        if (offset < bytes.size() && !WaitFor(POLLOUT, MsLeft(deadline))) {
            *reason = "the server takes no data";
            return false;
        }
    }
    return true;
}

bool PushConnection::ReadResponse(http::ResponseHead* head, int timeoutMs, QString* reason)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    QByteArray body;
    const auto take = [&](const char* data, std::size_t size) {
        const std::size_t used = head->CurrentState() == http::ResponseHead::State::Incomplete ? head->Feed(data, size) : 0;
        body.append(data + used, static_cast<qsizetype>(size - used));
    };
    const QByteArray early = pending_;
    pending_.clear();
    take(early.constData(), static_cast<std::size_t>(early.size()));
    char buffer[4096];
    for (;;) {
        if (head->CurrentState() == http::ResponseHead::State::Malformed) {
            *reason = "the server's answer is not HTTP";
            return false;
        }
        if (head->CurrentState() == http::ResponseHead::State::Complete) {
            const long long length = head->ContentLength().value_or(0);
            if (length > kMaxSkippedBody || body.size() >= length) {
                pending_ = body.mid(static_cast<qsizetype>(std::min<long long>(length, body.size())));
                return true;
            }
        }
        if (!WaitFor(POLLIN, MsLeft(deadline))) {
            *reason = "no answer from the server in time";
            return false;
        }
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
        if (got == 0) {
            if (head->CurrentState() == http::ResponseHead::State::Complete)
                return true;  // the body ended with the connection
            *reason = "the server closed the connection without an answer";
            return false;
        }
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            *reason = "the connection failed: " + ErrnoText(errno);
            return false;
        }
        take(buffer, static_cast<std::size_t>(got));
    }
}

bool PushConnection::PeerClosed() const
{
    if (fd_ < 0)
        return true;
    if (!pending_.isEmpty())
        return true;
    char byte = 0;
    const ssize_t got = ::recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return got == 0 || got > 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

long SendSome(int fd, const QByteArray& bytes, long offset, QString* reason)
{
    for (;;) {
        const ssize_t sent = ::send(fd, bytes.constData() + offset, static_cast<std::size_t>(bytes.size() - offset),
                                    MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent >= 0)
            return static_cast<long>(sent);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        *reason = "the connection failed: " + ErrnoText(errno);
        return -1;
    }
}

}  // namespace wavetap::engine
