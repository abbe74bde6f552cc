// One connected viewer: its request, its phase, and its bounded queue of outgoing bytes.
// Owned and driven by the server thread only.
#pragma once

#include <QByteArray>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>

#include "wavetap/stream/http_request.h"
#include "wavetap/stream/stream_feed.h"
#include "wavetap/stream/wmsp_protocol.h"

namespace wavetap {

using Clock = std::chrono::steady_clock;

class ViewerConnection {
public:
    enum class Phase {
        ReadingRequest,
        WaitingForStream,  // accepted as a viewer, no header fed yet
        Streaming,
        Closing,  // sending what is queued, then closing
    };

    // peerAddress identifies the client's address (its raw bytes), for per-address limits.
    ViewerConnection(int fd, std::uint32_t clientId, std::string peerAddress, Clock::time_point now);
    ~ViewerConnection();
    ViewerConnection(const ViewerConnection&) = delete;
    ViewerConnection& operator=(const ViewerConnection&) = delete;

    int Fd() const { return fd_; }
    const std::string& PeerAddress() const { return peerAddress_; }
    Phase CurrentPhase() const { return phase_; }
    ViewerKind Kind() const { return kind_; }
    const HttpRequest& Request() const { return request_; }
    Clock::time_point Since() const { return since_; }
    bool Closed() const { return closed_; }
    bool HasOutput() const { return !queue_.empty(); }
    // False once the peer has finished sending (a half-closed viewer may still be reading).
    bool WantsInput() const { return !peerFinished_; }
    std::uint64_t SkippedPackets() const { return skipped_; }

    // Reads what the peer sent: the request while it is being read, otherwise discarded.
    // Bytes that cannot begin an HTTP request close the connection at once.
    void OnReadable(Clock::time_point now);
    // Sends as much queued output as the socket takes without blocking.
    void Flush(Clock::time_point now);

    // The answer to a request that is not streamed (describe, errors): send it, then close.
    void Answer(const QByteArray& response, Clock::time_point now);
    // Accepted as a viewer of the given kind; the stream starts with StartStreaming.
    void WaitForStream(ViewerKind kind, Clock::time_point now);
    // Starts the stream with the header and the backlog of the given start.
    void StartStreaming(const StreamStart& start, Clock::time_point now);
    // Queues a live packet, unless it is older than the start or belongs to another stream.
    // Past maxQueuedBytes the queue is emptied and the viewer resumes at the next start point.
    // A packet of a newer stream ends this viewer's stream.
    void Offer(const StreamPacket& packet, std::size_t maxQueuedBytes, Clock::time_point now);
    // The viewer missed packets: resume at the next start point.
    void Resync() { needStart_ = true; }
    // The stream it plays has ended: tell Windows Media players, then close.
    void EndStream(Clock::time_point now);
    // Whether the socket has taken nothing for the given time while output waited.
    bool StalledFor(Clock::duration limit, Clock::time_point now) const;
    // How far behind the live edge the viewer is: the age of the oldest byte it has not
    // taken yet, counting what waits in its socket's send queue as well as in its own.
    // A byte is due from when its packet was handed to this viewer.
    Clock::duration Lag(Clock::time_point now);
    void Close();

private:
    struct OutItem {
        DataFramePrefix prefix{};
        std::size_t prefixSize = 0;
        QByteArray data;
        std::size_t sent = 0;
        bool isPacket = false;
        Clock::time_point due;
        std::size_t Size() const { return prefixSize + static_cast<std::size_t>(data.size()); }
    };

    void QueueRaw(const QByteArray& bytes, Clock::time_point now);
    // The first packet after a start (joining) is sent in its joining form.
    void QueuePacket(const StreamPacket& packet, Clock::time_point now, bool joining = false);
    void Push(OutItem item);
    void Sent(std::size_t count);
    void DropQueuedPackets();
    void BeginClosing(Clock::time_point now);

    int fd_;
    std::uint32_t clientId_;
    std::string peerAddress_;
    Phase phase_ = Phase::ReadingRequest;
    ViewerKind kind_ = ViewerKind::PlainHttp;
    HttpRequest request_;
    Clock::time_point since_;
    bool closed_ = false;
    bool writeShut_ = false;
    bool peerFinished_ = false;

    std::deque<OutItem> queue_;
    std::size_t queuedBytes_ = 0;
    Clock::time_point lastProgress_;
    // Bytes handed to the socket so far, and for the items handed over completely: where
    // each ends in that count and when it was due (until the peer has acknowledged it).
    std::uint64_t written_ = 0;
    std::deque<std::pair<std::uint64_t, Clock::time_point>> inSocket_;

    std::uint32_t generation_ = 0;
    std::uint64_t lastSeq_ = 0;
    bool needStart_ = false;
    std::uint32_t nextLocationId_ = 0;
    std::uint64_t skipped_ = 0;
};

}  // namespace wavetap
