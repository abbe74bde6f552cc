#include "scripted_server.h"

#include <chrono>

#include <QList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace testing_support {

namespace {
constexpr int kPollSliceMs = 20;

bool SendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent <= 0) {
            return false;
        }
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}
}  // namespace

namespace {
// A listening loopback socket on port (0: ephemeral), or -1.
int ListenOnLoopback(int port, int& boundPort) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 8) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listener);
        return -1;
    }
    boundPort = ntohs(address.sin_port);
    return listener;
}
}  // namespace

bool ScriptedServer::PortAvailable(int port) {
    int bound = 0;
    const int listener = ListenOnLoopback(port, bound);
    if (listener < 0) {
        return false;
    }
    ::close(listener);
    return true;
}

ScriptedServer::ScriptedServer(std::vector<ScriptedReply> replies, int port) : replies_(std::move(replies)) {
    listener_ = ListenOnLoopback(port, port_);
    if (listener_ < 0) {
        throw std::runtime_error("cannot listen on loopback");
    }
    thread_ = std::thread([this] { Run(); });
}

ScriptedServer::~ScriptedServer() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

QByteArray ScriptedServer::Url(const char* path) const {
    return "http://127.0.0.1" + (port_ == 80 ? QByteArray() : ":" + QByteArray::number(port_)) + path;
}

std::vector<QByteArray> ScriptedServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool ScriptedServer::WaitReadable(int fd) const {
    while (!stopping_) {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, kPollSliceMs) > 0) {
            return true;
        }
    }
    return false;
}

void ScriptedServer::Run() {
    while (WaitReadable(listener_)) {
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) {
            Serve(client);
            ::close(client);
        }
    }
}

bool ScriptedServer::ReadRequest(int client, QByteArray& request) {
    qsizetype expected = -1;
    char buffer[4096];
    while (expected < 0 || request.size() < expected) {
        if (!WaitReadable(client)) {
            return false;
        }
        const ssize_t received = ::recv(client, buffer, sizeof buffer, 0);
        if (received <= 0) {
            return false;
        }
        request.append(buffer, received);
        const qsizetype headEnd = request.indexOf("\r\n\r\n");
        if (expected < 0 && headEnd >= 0) {
            qsizetype bodyLength = 0;
            for (const QByteArray& line : request.left(headEnd).split('\n')) {
                if (line.toLower().startsWith("content-length:")) {
                    bodyLength = line.mid(15).trimmed().toLongLong();
                }
            }
            expected = headEnd + 4 + bodyLength;
        }
    }
    return true;
}

void ScriptedServer::Serve(int client) {
    for (;;) {
        QByteArray request;
        if (!ReadRequest(client, request)) {
            return;
        }
        ScriptedReply reply;
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
            reply = replies_[std::min(next_, replies_.size() - 1)];
            ++next_;
        }
        if (reply.then == ScriptedReply::Then::Trickle) {
            for (qsizetype at = 0; at < reply.bytes.size() && !stopping_; ++at) {
                if (!SendAll(client, reply.bytes.constData() + at, 1)) return;
                std::this_thread::sleep_for(std::chrono::milliseconds(ScriptedReply::kTrickleIntervalMs));
            }
            return;
        }
        if (!SendAll(client, reply.bytes.constData(), static_cast<std::size_t>(reply.bytes.size()))) {
            return;
        }
        switch (reply.then) {
        case ScriptedReply::Then::Close:
        case ScriptedReply::Then::Trickle:
            return;
        case ScriptedReply::Then::KeepOpen:
            continue;
        case ScriptedReply::Then::Silent: {
            char sink[256];
            while (WaitReadable(client) && ::recv(client, sink, sizeof sink, 0) > 0) {
            }
            return;
        }
        case ScriptedReply::Then::Endless:
            while (!stopping_ && !reply.repeat.isEmpty() &&
                   SendAll(client, reply.repeat.constData(), static_cast<std::size_t>(reply.repeat.size()))) {
            }
            return;
        }
    }
}

QByteArray HttpAnswer(int status, const QByteArray& body, const QByteArray& contentType) {
    const char* reason = status == 200 ? "OK" : status == 500 ? "Internal Server Error" : "Status";
    return "HTTP/1.1 " + QByteArray::number(status) + " " + reason + "\r\nContent-Type: " + contentType +
           "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

QByteArray SoapEnvelope(const QByteArray& bodyContent) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\""
           " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><soap:Body>" +
           bodyContent + "</soap:Body></soap:Envelope>";
}

}  // namespace testing_support
