#pragma once
// A loopback HTTP peer for tests: answers each request it receives with the next
// scripted reply, byte for byte, and keeps the requests it received.

#include <QByteArray>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace testing_support {

struct ScriptedReply {
    enum class Then {
        Close,         // send the bytes, then close the connection
        KeepOpen,      // send the bytes, then wait for the next request on the connection
        Silent,        // read the request, send nothing, keep the connection open
        Endless,       // send the bytes, then `repeat` again and again until the client goes away
        Trickle,       // send the bytes one at a time, kTrickleIntervalMs apart, then close
    };
    static constexpr int kTrickleIntervalMs = 100;
    QByteArray bytes;
    Then then = Then::Close;
    QByteArray repeat = {};
};

class ScriptedServer {
public:
    // Replies are used in order, one per request; the last one repeats. Listens on an
    // ephemeral loopback port unless one is asked for.
    explicit ScriptedServer(std::vector<ScriptedReply> replies, int port = 0);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    // Binds the given loopback port; false when it is taken or not allowed.
    static bool PortAvailable(int port);

    int Port() const { return port_; }
    QByteArray Url(const char* path = "/vekservices/ClientService") const;
    // The requests received so far, each head plus body as sent.
    std::vector<QByteArray> Requests() const;

private:
    void Run();
    void Serve(int client);
    bool ReadRequest(int client, QByteArray& request);
    bool WaitReadable(int fd) const;

    std::vector<ScriptedReply> replies_;
    std::size_t next_ = 0;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<QByteArray> requests_;
    std::thread thread_;
};

// An HTTP answer with Content-Length and "Connection: close".
QByteArray HttpAnswer(int status, const QByteArray& body, const QByteArray& contentType = "text/xml; charset=utf-8");

// The body wrapped in a SOAP 1.1 envelope.
QByteArray SoapEnvelope(const QByteArray& bodyContent);

}  // namespace testing_support
