#pragma once
// IBlockingSocket over POSIX sockets. Each send and receive first polls for readiness
// for at most the timeout. A message posted to the waiting thread's queue (the stop
// request of an upload) ends a wait early as an interruption (error EINTR).

#include "ftp/iblocking_socket.h"

namespace nsSocket {

class CBlockingSocket : public IBlockingSocket {
public:
    // Connect gives up after connectTimeoutSeconds (an unreachable address would
    // otherwise hold it for minutes); sockets made by CreateInstance inherit it.
    static constexpr int kDefaultConnectTimeoutSeconds = 10;
    explicit CBlockingSocket(int connectTimeoutSeconds = kDefaultConnectTimeoutSeconds)
        : connectTimeoutSeconds(connectTimeoutSeconds) {}
    ~CBlockingSocket() override;
    CBlockingSocket(const CBlockingSocket&) = delete;
    CBlockingSocket& operator=(const CBlockingSocket&) = delete;

    std::unique_ptr<IBlockingSocket> CreateInstance() const override;
    void Create(int type = SOCK_STREAM) override;
    void Connect(const SocketAddress& address) override;
    void Bind(const SocketAddress& address) override;
    void Listen() override;
    void Cleanup() override;
    bool Accept(IBlockingSocket& socket, SocketAddress* address) override;
    void Close() override;
    int Write(const char* data, int length, int timeoutSeconds) override;
    int Receive(char* buffer, int size, int timeoutSeconds) override;
    int ReceiveWithin(char* buffer, int size, int timeoutMs) override;
    void GetSockName(SocketAddress* address) override;
    void GetPeerName(SocketAddress* address) override;
    explicit operator int() const override { return handle; }
    bool CheckReadability() override;
    SocketAddress GetHostByName(const QString& name, std::uint16_t port) override;
    QString GetHostByAddr(const SocketAddress& address) override;

private:
    int SendOnce(const char* data, int length, int timeoutSeconds);

    int connectTimeoutSeconds;
    int handle = -1;
};

}  // namespace nsSocket
