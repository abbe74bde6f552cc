#include "data_sink.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace ftptest {

namespace {

bool Readable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, timeoutMs) > 0;
}

sockaddr_in Address(const std::string& dotted, std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ::inet_pton(AF_INET, dotted.c_str(), &address.sin_addr);
    return address;
}

}  // namespace

DataSink::DataSink(std::uint32_t address) {
    listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(address);
    socklen_t length = sizeof local;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&local), length) != 0 || ::listen(listener, 8) != 0) return;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&local), &length);
    port = ntohs(local.sin_port);
    thread = std::thread([this] { Serve(); });
}

DataSink::~DataSink() {
    stopping = true;
    if (thread.joinable()) thread.join();
    ::close(listener);
}

std::vector<DataSink::Connection> DataSink::Connections(size_t count, int timeoutMs) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(lock);
            if (connections.size() >= count || std::chrono::steady_clock::now() >= end) return connections;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string DataSink::PassiveReply(const std::string& dotted) const {
    std::string commas = dotted;
    for (char& c : commas) c = c == '.' ? ',' : c;
    return "227 Entering Passive Mode (" + commas + "," + std::to_string(port >> 8) + "," +
           std::to_string(port & 0xff) + ")\r\n";
}

void DataSink::Serve() {
    while (!stopping) {
        if (!Readable(listener, 50)) continue;
        const int fd = ::accept(listener, nullptr, nullptr);
        if (fd < 0) continue;
        Connection connection;
        sockaddr_in local{};
        socklen_t length = sizeof local;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length);
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &local.sin_addr, text, sizeof text);
        connection.localAddress = text;
        char buffer[65536];
        while (!stopping) {
            if (!Readable(fd, 50)) continue;
            const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
            if (count <= 0) break;
            connection.bytes += count;
        }
        ::close(fd);
        std::lock_guard<std::mutex> guard(lock);
        connections.push_back(connection);
    }
}

long long ConnectAndRead(const std::string& source, const std::string& target, std::uint16_t port,
                         int readSeconds) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in from = Address(source, 0);
    const sockaddr_in to = Address(target, port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&from), sizeof from) != 0 ||
        ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    long long bytes = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(readSeconds);
    char buffer[65536];
    while (std::chrono::steady_clock::now() < end) {
        if (!Readable(fd, 50)) continue;
        const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
        if (count <= 0) break;
        bytes += count;
    }
    ::close(fd);
    return bytes;
}

std::uint16_t PortOfPortCommand(const std::string& command) {
    unsigned parts[6];
    const char* argument = command.c_str() + command.find(' ') + 1;
    if (std::sscanf(argument, "%u,%u,%u,%u,%u,%u", &parts[0], &parts[1], &parts[2], &parts[3], &parts[4],
                    &parts[5]) != 6)
        return 0;
    return static_cast<std::uint16_t>(parts[4] << 8 | parts[5]);
}

}  // namespace ftptest
