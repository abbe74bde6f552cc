#include "scripted_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ftptest {

const std::string ScriptedServer::kNoReply;
const std::string ScriptedServer::kCloseConnection = std::string("\x01close", 6);

namespace {

// Waits up to 50 ms for fd to become readable.
bool Readable(int fd) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, 50) > 0;
}

void SendAll(int fd, const std::string& data) {
    for (size_t done = 0; done < data.size();) {
        const ssize_t sent = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (sent <= 0) return;
        done += static_cast<size_t>(sent);
    }
}

}  // namespace

ScriptedServer::ScriptedServer(std::string greeting, Responder responder)
    : greeting(std::move(greeting)), responder(std::move(responder)) {
    listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(listener, 4) != 0) return;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    thread = std::thread([this] { Serve(); });
}

ScriptedServer::~ScriptedServer() {
    stopping = true;
    if (thread.joinable()) thread.join();
    ::close(listener);
}

std::vector<std::string> ScriptedServer::Commands() const {
    std::lock_guard<std::mutex> guard(lock);
    return commands;
}

void ScriptedServer::Serve() {
    while (!stopping) {
        if (!Readable(listener)) continue;
        const int connection = ::accept(listener, nullptr, nullptr);
        if (connection < 0) continue;
        Converse(connection);
        ::close(connection);
    }
}

void ScriptedServer::Converse(int connection) {
    SendAll(connection, greeting);
    std::string received;
    while (!stopping) {
        if (!Readable(connection)) continue;
        char buffer[4096];
        const ssize_t count = ::recv(connection, buffer, sizeof buffer, 0);
        if (count <= 0) return;
        received.append(buffer, static_cast<size_t>(count));
        for (size_t end; (end = received.find("\r\n")) != std::string::npos;) {
            const std::string command = received.substr(0, end);
            received.erase(0, end + 2);
            {
                std::lock_guard<std::mutex> guard(lock);
                commands.push_back(command);
            }
            const std::string reply = responder ? responder(command) : kNoReply;
            const size_t marker = reply.size() >= kCloseConnection.size() ? reply.size() - kCloseConnection.size() : 0;
            if (reply.compare(marker, std::string::npos, kCloseConnection) == 0) {
                SendAll(connection, reply.substr(0, marker));
                return;
            }
            SendAll(connection, reply);
        }
    }
}

}  // namespace ftptest
