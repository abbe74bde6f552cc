#include "fake_push_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace wavetap_test {

FakePushServer::FakePushServer(Script script, int receiveBuffer) : script_(std::move(script)) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer > 0) ::setsockopt(listenFd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listenFd_, 8);
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] {
        for (;;) {
            const int fd = ::accept(listenFd_, nullptr, nullptr);
            if (fd < 0) return;  // the listening socket was shut down
            script_(fd);
            ::close(fd);
        }
    });
}

FakePushServer::~FakePushServer() {
    ::shutdown(listenFd_, SHUT_RDWR);
    thread_.join();
    ::close(listenFd_);
}

std::string FakePushServer::ReadRequest(int fd, int timeoutMs) {
    std::string request;
    for (;;) {
        const auto head = request.find("\r\n\r\n");
        if (head != std::string::npos) {
            const auto at = request.find("Content-Length: ");
            const std::size_t length = at != std::string::npos && at < head ? std::stoul(request.substr(at + 16)) : 0;
            if (length > 65536 || request.size() >= head + 4 + length) return request;
        }
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) return request;
        char buffer[4096];
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) return request;
        request.append(buffer, static_cast<std::size_t>(got));
    }
}

void FakePushServer::Send(int fd, const std::string& bytes) {
    [[maybe_unused]] const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

}  // namespace wavetap_test
