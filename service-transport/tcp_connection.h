#pragma once
// A client TCP connection whose connect, each send and each receive wait at most a
// given time. Failures are reported by return values; nothing throws.

#include <QByteArray>

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

    bool IsOpen() const { return fd_ >= 0; }
    const QByteArray& Host() const { return host_; }
    int Port() const { return port_; }

private:
    int fd_ = -1;
    QByteArray host_;
    int port_ = 0;
};

}  // namespace transport
