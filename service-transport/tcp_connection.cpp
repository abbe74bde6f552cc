#include "service-transport/tcp_connection.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>

namespace transport {

namespace {

using Clock = std::chrono::steady_clock;

// Waits for the socket to become ready for events, at most until deadline.
bool WaitReady(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left));
        if (ready > 0) {
            return true;  // errors and hang-ups surface in the following call
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

int ConnectOne(const addrinfo& address, Clock::time_point deadline) {
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, address.ai_protocol);
    if (fd < 0) {
        return -1;
    }
    if (::connect(fd, address.ai_addr, address.ai_addrlen) == 0) {
        return fd;
    }
    if (errno == EINPROGRESS && WaitReady(fd, POLLOUT, deadline)) {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) {
            return fd;
        }
    }
    ::close(fd);
    return -1;
}

struct AddrInfoDeleter {
    void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};

}  // namespace

TcpConnection::~TcpConnection() { Close(); }

Clock::time_point TcpConnection::DeadlineIn(int timeoutMs) const {
    return std::min(deadline_, Clock::now() + std::chrono::milliseconds(timeoutMs));
}

bool TcpConnection::Connect(const QByteArray& host, int port, int timeoutMs) {
    Close();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.constData(), QByteArray::number(port).constData(), &hints, &found) != 0) {
        return false;
    }
    std::unique_ptr<addrinfo, AddrInfoDeleter> list(found);
    const auto deadline = DeadlineIn(timeoutMs);
    for (const addrinfo* address = list.get(); address != nullptr; address = address->ai_next) {
        fd_ = ConnectOne(*address, deadline);
        if (fd_ >= 0) {
            // Head and body go out as separate sends; do not let the body wait for an ACK.
            const int yes = 1;
            ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
            host_ = host;
            port_ = port;
            return true;
        }
    }
    return false;
}

bool TcpConnection::SendAll(const char* data, std::size_t size, int timeoutMs) {
    while (size > 0) {
        if (fd_ < 0 || !WaitReady(fd_, POLLOUT, DeadlineIn(timeoutMs))) {
            return false;
        }
        const ssize_t sent = ::send(fd_, data, size, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) {
                continue;
            }
            return false;
        }
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

long TcpConnection::Receive(char* buffer, std::size_t size, int timeoutMs) {
    const auto deadline = DeadlineIn(timeoutMs);
    for (;;) {
        if (fd_ < 0 || !WaitReady(fd_, POLLIN, deadline)) {
            return -1;
        }
        const ssize_t received = ::recv(fd_, buffer, size, 0);
        if (received >= 0) {
            return static_cast<long>(received);
        }
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            return -1;
        }
    }
}

void TcpConnection::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace transport
