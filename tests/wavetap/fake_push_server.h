#pragma once
// A scripted server on a free loopback port for push tests: each accepted connection is
// handed to the script on the server's thread, which answers (or misbehaves) as it likes.

#include <functional>
#include <string>
#include <thread>

namespace wavetap_test {

class FakePushServer {
public:
    using Script = std::function<void(int fd)>;
    // receiveBuffer other than 0 is set on the listening socket (small: a stall shows early).
    explicit FakePushServer(Script script, int receiveBuffer = 0);
    ~FakePushServer();
    int Port() const { return port_; }

    // Reads up to the end of a request head (and a short body when Content-Length says so).
    static std::string ReadRequest(int fd, int timeoutMs = 5000);
    static void Send(int fd, const std::string& bytes);

private:
    int listenFd_ = -1;
    int port_ = 0;
    Script script_;
    std::thread thread_;
};

}  // namespace wavetap_test
