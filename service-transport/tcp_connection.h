#pragma once
// A client TCP connection whose connect, each send and each receive wait at most a
// given time, and never past the deadline set for the whole call. Failures are reported
// by return values; nothing throws.

#include <QByteArray>

#include <chrono>
#include <cstddef>

namespace transport {

class TcpConnection {
public:
    TcpConnection() = default;
    ~TcpConnection();
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    // Resolves host and connects to the first address that answers within timeoutMs.
    bool Connect(const QByteArray& host, int port, int timeoutMs);
    // Sends all bytes; every wait for the socket to accept more lasts at most timeoutMs.
    bool SendAll(const char* data, std::size_t size, int timeoutMs);
    // Receives up to size bytes: the count, 0 when the peer closed, -1 on error or timeout.
    long Receive(char* buffer, std::size_t size, int timeoutMs);
    void Close();

    // Every wait ends by `deadline` at the latest (time_point::max() for none).
    void SetDeadline(std::chrono::steady_clock::time_point deadline) { deadline_ = deadline; }

    bool IsOpen() const { return fd_ >= 0; }
    const QByteArray& Host() const { return host_; }
    int Port() const { return port_; }

private:
    int fd_ = -1;
    QByteArray host_;
    int port_ = 0;
    std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::time_point::max();

    std::chrono::steady_clock::time_point DeadlineIn(int timeoutMs) const;
};

}  // namespace transport
