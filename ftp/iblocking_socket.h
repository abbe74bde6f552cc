#pragma once
// One IPv4 TCP socket with blocking operations bounded by timeouts. The FTP client
// makes its data sockets through CreateInstance, so another implementation can be put in.
// Every failure throws CBlockingSocketException (except Accept's interruption and Cleanup).

#include "ftp/blocking_socket_exception.h"

#include <QString>

#include <netinet/in.h>

#include <cstdint>
#include <memory>

namespace nsSocket {

using SocketAddress = sockaddr_in;

// An IPv4 address in host byte order plus a port, as a socket address.
SocketAddress MakeAddress(std::uint32_t hostOrderAddress, std::uint16_t port);

class IBlockingSocket {
public:
    virtual ~IBlockingSocket() = default;

    // A new, unopened socket of the same implementation.
    virtual std::unique_ptr<IBlockingSocket> CreateInstance() const = 0;

    // Opens an IPv4 socket of the given type (SOCK_STREAM = 1).
    virtual void Create(int type = SOCK_STREAM) = 0;
    virtual void Connect(const SocketAddress& address) = 0;
    virtual void Bind(const SocketAddress& address) = 0;
    virtual void Listen() = 0;
    // Closes the socket if open; never fails.
    virtual void Cleanup() = 0;
    // Accepts one connection into `socket` (of the same implementation). False when the
    // wait was interrupted.
    virtual bool Accept(IBlockingSocket& socket, SocketAddress* address) = 0;
    virtual void Close() = 0;
    // Sends all `length` bytes, waiting at most timeoutSeconds before each send.
    virtual int Write(const char* data, int length, int timeoutSeconds) = 0;
    // One receive after waiting at most timeoutSeconds; 0 means the peer closed.
    virtual int Receive(char* buffer, int size, int timeoutSeconds) = 0;
    // The same with the wait bounded in milliseconds (for steps under one overall deadline).
    virtual int ReceiveWithin(char* buffer, int size, int timeoutMs) = 0;
    virtual void GetSockName(SocketAddress* address) = 0;
    // The address of the connected peer.
    virtual void GetPeerName(SocketAddress* address) = 0;
    // The platform handle, -1 when no socket is open.
    virtual explicit operator int() const = 0;
    // True when a receive would not block.
    virtual bool CheckReadability() = 0;
    virtual SocketAddress GetHostByName(const QString& name, std::uint16_t port) = 0;
    virtual QString GetHostByAddr(const SocketAddress& address) = 0;

    bool IsOpen() const { return static_cast<int>(*this) != -1; }
};

}  // namespace nsSocket
