// Test helper: a raw TCP viewer of the stream server on loopback, and a reader of the
// $H/$D/$E framing it receives.
#pragma once

#include <QtGlobal>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

extern const char kMmshDescribeRequest[];
extern const char kMmshPlayRequest[];
extern const char kPlainRequest[];

class ViewerClient {
public:
    // Connects to 127.0.0.1:port and sends the request. A receive buffer size other than 0
    // is set before connecting (small buffers make a viewer that never reads fill up early).
    // The connection comes from the given loopback address (any of 127.0.0.0/8), so tests can
    // stand in for several client hosts.
    static std::unique_ptr<ViewerClient> Connect(quint16 port, const std::string& request, int receiveBuffer = 0,
                                                 const char* fromAddress = "127.0.0.1");
    ~ViewerClient();

    int Fd() const { return fd_; }
    // Ends the sending side, as some clients do right after their request.
    void FinishSending();
    // Reads whatever is there without waiting; false once the server closed the connection.
    bool ReadAvailable();
    // Reads until the condition holds on what was received, the connection ends, or the time is up.
    bool ReadUntil(const std::function<bool(const std::string&)>& done, std::chrono::milliseconds limit);
    bool ReadFor(std::chrono::milliseconds duration) { return ReadUntil([](const std::string&) { return false; }, duration); }
    bool Ended() const { return ended_; }

    const std::string& Received() const { return received_; }
    // Forgets the first count bytes received (long-running readers).
    void Consume(std::size_t count) { received_.erase(0, count); }
    std::string Head() const;  // the response head, once complete
    std::string Body() const;

private:
    explicit ViewerClient(int fd) : fd_(fd) {}
    int fd_;
    bool ended_ = false;
    std::string received_;
};

struct MmsFrame {
    char type = 0;
    std::uint32_t locationId = 0;
    std::uint8_t afFlags = 0;
    std::string payload;  // after the 8-byte data packet prefix ($H, $D) or the reason ($E)
};

// The complete frames at the start of a framed body; stops at the first incomplete one,
// telling how many bytes the complete ones took when asked.
std::vector<MmsFrame> ParseFrames(const std::string& body, std::size_t* consumed = nullptr);

// Reads every viewer at once for the given time.
void ReadAll(const std::vector<ViewerClient*>& viewers, std::chrono::milliseconds duration);
