#pragma once
// A loopback server that speaks exactly what a test scripts: it sends a greeting, then
// answers each command line received with whatever the responder returns. It records
// the commands and serves one connection after the other until destroyed.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include <atomic>

namespace ftptest {

class ScriptedServer {
public:
    // Raw bytes to send for a command; kNoReply sends nothing, kCloseConnection hangs up
    // (after sending whatever precedes it).
    using Responder = std::function<std::string(const std::string& command)>;
    static const std::string kNoReply;
    static const std::string kCloseConnection;

    ScriptedServer(std::string greeting, Responder responder);
    ~ScriptedServer();

    std::uint16_t Port() const { return port; }
    std::vector<std::string> Commands() const;

private:
    void Serve();
    void Converse(int connection);

    std::string greeting;
    Responder responder;
    int listener = -1;
    std::uint16_t port = 0;
    std::atomic<bool> stopping{false};
    mutable std::mutex lock;
    std::vector<std::string> commands;
    std::thread thread;
};

}  // namespace ftptest
