#include "ftp/blocking_socket.h"

#include "ftp/readiness_wait.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace nsSocket {

namespace {

sockaddr* AsSockaddr(SocketAddress* address) { return reinterpret_cast<sockaddr*>(address); }
const sockaddr* AsSockaddr(const SocketAddress* address) { return reinterpret_cast<const sockaddr*>(address); }

// Turns a wait that did not end ready into the step's exception.
void ThrowUnlessReady(WaitResult result, const char* timeoutMessage) {
    if (result == WaitResult::TimedOut) throw CBlockingSocketException(QString::fromLatin1(timeoutMessage), 0);
    if (result == WaitResult::Interrupted) throw CBlockingSocketException(QString::fromLatin1(timeoutMessage), EINTR);
}

}  // namespace

SocketAddress MakeAddress(std::uint32_t hostOrderAddress, std::uint16_t port) {
    SocketAddress address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(hostOrderAddress);
    return address;
}

CBlockingSocket::~CBlockingSocket() { Cleanup(); }

std::unique_ptr<IBlockingSocket> CBlockingSocket::CreateInstance() const {
    return std::make_unique<CBlockingSocket>(connectTimeoutSeconds);
}

void CBlockingSocket::Create(int type) {
    const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    if (fd < 0) throw CBlockingSocketException(QStringLiteral("Create"));
    handle = fd;
}

void CBlockingSocket::Connect(const SocketAddress& address) {
    // Connects without blocking so the wait is bounded like every other one.
    const int flags = ::fcntl(handle, F_GETFL);
    ::fcntl(handle, F_SETFL, flags | O_NONBLOCK);
    int error = ::connect(handle, AsSockaddr(&address), sizeof address) == 0 ? 0 : errno;
    if (error == EINPROGRESS) {
        const WaitResult wait = WaitForSocket(handle, POLLOUT, connectTimeoutSeconds);
        if (wait == WaitResult::Ready) {
            socklen_t length = sizeof error;
            if (::getsockopt(handle, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
        } else {
            error = wait == WaitResult::TimedOut ? ETIMEDOUT : EINTR;
        }
    }
    ::fcntl(handle, F_SETFL, flags);
    if (error != 0) throw CBlockingSocketException(QStringLiteral("Connect"), error);
}

void CBlockingSocket::Bind(const SocketAddress& address) {
    if (::bind(handle, AsSockaddr(&address), sizeof address) != 0)
        throw CBlockingSocketException(QStringLiteral("Bind"));
}

void CBlockingSocket::Listen() {
    if (::listen(handle, 5) != 0) throw CBlockingSocketException(QStringLiteral("Listen"));
}

void CBlockingSocket::Cleanup() {
    if (handle == -1) return;
    ::close(handle);
    handle = -1;
}

bool CBlockingSocket::Accept(IBlockingSocket& socket, SocketAddress* address) {
    auto* target = dynamic_cast<CBlockingSocket*>(&socket);
    if (!target) throw CBlockingSocketException(QStringLiteral("Accept"), EINVAL);
    SocketAddress peer{};
    socklen_t length = sizeof peer;
    const int fd = ::accept4(handle, AsSockaddr(&peer), &length, SOCK_CLOEXEC);
    if (fd < 0) {
        if (errno == EINTR) return false;
        throw CBlockingSocketException(QStringLiteral("Accept"));
    }
    target->Cleanup();
    target->handle = fd;
    if (address) *address = peer;
    return true;
}

void CBlockingSocket::Close() {
    if (handle == -1) return;
    const int fd = handle;
    handle = -1;
    if (::close(fd) != 0) throw CBlockingSocketException(QStringLiteral("Close"));
}

int CBlockingSocket::SendOnce(const char* data, int length, int timeoutSeconds) {
    ThrowUnlessReady(WaitForSocket(handle, POLLOUT, timeoutSeconds), "Send timeout");
    const ssize_t sent = ::send(handle, data, static_cast<size_t>(length), MSG_NOSIGNAL);
    if (sent < 0) throw CBlockingSocketException(QStringLiteral("Send"));
    return static_cast<int>(sent);
}

int CBlockingSocket::Write(const char* data, int length, int timeoutSeconds) {
    int done = 0;
    while (done < length) done += SendOnce(data + done, length - done, timeoutSeconds);
    return done;
}

int CBlockingSocket::Receive(char* buffer, int size, int timeoutSeconds) {
    return ReceiveWithin(buffer, size, timeoutSeconds * 1000);
}

int CBlockingSocket::ReceiveWithin(char* buffer, int size, int timeoutMs) {
    ThrowUnlessReady(WaitForSocketMs(handle, POLLIN, timeoutMs), "Receive timeout");
    const ssize_t received = ::recv(handle, buffer, static_cast<size_t>(size), 0);
    if (received < 0) throw CBlockingSocketException(QStringLiteral("Receive"));
    return static_cast<int>(received);
}

void CBlockingSocket::GetSockName(SocketAddress* address) {
    socklen_t length = sizeof *address;
    if (::getsockname(handle, AsSockaddr(address), &length) != 0)
        throw CBlockingSocketException(QStringLiteral("GetSockName"));
}

void CBlockingSocket::GetPeerName(SocketAddress* address) {
    socklen_t length = sizeof *address;
    if (::getpeername(handle, AsSockaddr(address), &length) != 0)
        throw CBlockingSocketException(QStringLiteral("GetPeerName"));
}

bool CBlockingSocket::CheckReadability() {
    pollfd entry{handle, POLLIN, 0};
    const int ready = ::poll(&entry, 1, 0);
    if (ready < 0) throw CBlockingSocketException(QStringLiteral("Socket Error"));
    return ready == 1;
}

SocketAddress CBlockingSocket::GetHostByName(const QString& name, std::uint16_t port) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int status = ::getaddrinfo(name.toUtf8().constData(), nullptr, &hints, &found);
    if (status != 0 || !found) {
        throw CBlockingSocketException(QStringLiteral("GetHostByName"), status == EAI_SYSTEM ? errno : 0);
    }
    SocketAddress address{};
    std::memcpy(&address, found->ai_addr, sizeof address);
    ::freeaddrinfo(found);
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    return address;
}

QString CBlockingSocket::GetHostByAddr(const SocketAddress& address) {
    char host[NI_MAXHOST];
    SocketAddress query = address;
    query.sin_port = 0;
    if (::getnameinfo(AsSockaddr(&query), sizeof query, host, sizeof host, nullptr, 0, NI_NAMEREQD) != 0)
        throw CBlockingSocketException(QStringLiteral("GetHostByAddr"));
    return QString::fromUtf8(host);
}

}  // namespace nsSocket
