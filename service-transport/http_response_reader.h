#pragma once
// Reads one HTTP/1.x response from the bytes as they arrive: status line, headers and
// the body by chunked coding, Content-Length or the end of the connection. Sizes are
// bounded so a hostile peer cannot make it hold unbounded memory.

#include <QByteArray>

#include <optional>
#include <utility>
#include <vector>

namespace transport {

inline constexpr qsizetype kMaxHeadBytes = 64 * 1024;
inline constexpr qsizetype kMaxBodyBytes = 4 * 1024 * 1024;
// All bytes of one response, framing included: chunk-size lines and trailers cannot
// keep a response going for ever.
inline constexpr qint64 kMaxResponseBytes = 2 * kMaxBodyBytes;

class HttpResponseReader {
public:
    enum class State { NeedMore, Complete, Failed };

    // Takes the next received bytes. Bytes after a complete response are ignored.
    State Feed(const char* data, qsizetype size);
    // The peer closed the connection: completes a body that runs to the close.
    State FinishAtClose();

    State CurrentState() const { return state_; }
    int Status() const { return status_; }
    const QByteArray& Body() const { return body_; }
    // Value of the first header of that name (compared without regard to case).
    std::optional<QByteArray> Header(const QByteArray& name) const;
    // True when the connection cannot carry another request after this response.
    bool ConnectionEnds() const { return connectionEnds_; }

private:
    enum class Phase { Head, FixedBody, ChunkSize, ChunkData, ChunkDataEnd, Trailer, BodyToClose, Done };

    State Fail();
    bool ParseHead(const QByteArray& head);
    bool StartBody();
    bool AppendBody(const char* data, qsizetype size);
    bool TakeLine(QByteArray& line);
    State Advance();

    State state_ = State::NeedMore;
    Phase phase_ = Phase::Head;
    QByteArray pending_;  // received bytes not consumed yet
    int status_ = 0;
    std::vector<std::pair<QByteArray, QByteArray>> headers_;
    QByteArray body_;
    qint64 remaining_ = 0;  // bytes left of the fixed body or the current chunk
    qint64 received_ = 0;   // bytes fed so far
    bool connectionEnds_ = false;
};

}  // namespace transport
