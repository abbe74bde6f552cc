#pragma once
// Loopback helpers for data-connection attacks: a listener that counts what each
// connection delivers and where it arrived, and a connector that plays a third party
// (or the server) connecting from a chosen source address.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ftptest {

// Accepts connections on `address` (host order, e.g. INADDR_ANY) and reads each to its end.
class DataSink {
public:
    struct Connection {
        std::string localAddress;  // the address the client connected to
        long long bytes = 0;
    };

    explicit DataSink(std::uint32_t address);
    ~DataSink();

    std::uint16_t Port() const { return port; }
    // The connections finished so far, after waiting up to timeoutMs for `count` of them.
    std::vector<Connection> Connections(size_t count = 0, int timeoutMs = 0) const;
    // The reply "227 Entering Passive Mode (a,b,c,d,p1,p2)" naming `dotted` and this port.
    std::string PassiveReply(const std::string& dotted) const;

private:
    void Serve();

    int listener = -1;
    std::uint16_t port = 0;
    std::atomic<bool> stopping{false};
    mutable std::mutex lock;
    std::vector<Connection> connections;
    std::thread thread;
};

// Connects from `source` to `target`:`port` (both dotted IPv4) and reads until the other
// side closes or `readSeconds` pass. Returns the bytes read, -1 when the connect failed.
long long ConnectAndRead(const std::string& source, const std::string& target, std::uint16_t port,
                         int readSeconds);

// The port of a PORT argument "h1,h2,h3,h4,p1,p2" (0 when malformed).
std::uint16_t PortOfPortCommand(const std::string& command);

}  // namespace ftptest
