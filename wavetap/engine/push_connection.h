#pragma once
// One TCP connection of a push to a media server: connect with a deadline, send and
// receive with deadlines, or hand the non-blocking socket to the push stream.

#include "wavetap/stream/http_response_head.h"

#include <QByteArray>
#include <QString>

namespace wavetap::engine {

class PushConnection {
public:
    PushConnection() = default;
    ~PushConnection();
    PushConnection(const PushConnection&) = delete;
    PushConnection& operator=(const PushConnection&) = delete;

    // Resolves the host and connects within timeoutMs; false with a reason.
    bool Connect(const QString& host, int port, int timeoutMs, QString* reason);
    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    void Close();

    // Sends every byte within timeoutMs.
    bool SendAll(const QByteArray& bytes, int timeoutMs, QString* reason);
    // Reads a response head within timeoutMs, then its body when it announces a short
    // Content-Length (up to 64 KiB), so the connection can carry the next request.
    bool ReadResponse(http::ResponseHead* head, int timeoutMs, QString* reason);
    // Whether the server has closed its side (or sent something unasked) while idle.
    bool PeerClosed() const;

private:
    bool WaitFor(short events, int timeoutMs) const;

    int fd_ = -1;
    QByteArray pending_;  // bytes read beyond the last response
};

// Sends what it can of `bytes` from `offset` on a non-blocking socket: the count sent,
// 0 when the socket takes nothing now, -1 when the connection failed (reason set).
long SendSome(int fd, const QByteArray& bytes, long offset, QString* reason);

}  // namespace wavetap::engine
