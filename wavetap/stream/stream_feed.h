// The live stream as the server thread sees it: the current header, the packets since
// the last start point (for viewers that join), and the packets not yet handed out.
// Fed from the encoder's thread, read by the server thread; every call is thread-safe
// and none waits on viewers.
#pragma once

#include <QByteArray>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "wavetap/stream/asf_stream_splitter.h"
#include "wavetap/stream/stream_server_limits.h"

namespace wavetap {

struct StreamPacket {
    QByteArray bytes;
    std::uint64_t seq = 0;         // position in the feed, from 1
    std::uint32_t generation = 0;  // which header the packet belongs to
    bool startPoint = false;
    // For a start point that also carries video from before its key frame: the packet as a
    // joining viewer's first, without that video. Empty when the packet serves as it is.
    QByteArray joinBytes;
};

// What a joining viewer is sent before the live packets.
struct StreamStart {
    QByteArray header;  // empty while no stream has started
    std::uint32_t generation = 0;
    std::vector<StreamPacket> backlog;  // from the last start point on
    std::uint64_t lastSeq = 0;          // packets up to this one are covered by the backlog
    bool startAnyPacket = false;        // the stream shows no start points: begin at the next packet
};

class StreamFeed {
public:
    explicit StreamFeed(const StreamServerLimits& limits);

    // Splits and records the bytes. Returns true when the server thread has new work (a new
    // header, or pending packets where there were none), so the caller wakes it.
    bool Feed(const char* data, std::size_t size);
    // Packets are kept for hand-out only while a server thread takes them.
    void SetHandOut(bool enabled);

    struct Batch {
        std::vector<StreamPacket> packets;
        bool lostPackets = false;  // the server thread fell behind and packets were dropped
    };
    Batch TakePending();
    StreamStart Snapshot() const;

private:
    void AddHeader(const AsfUnit& unit);
    void AddPacket(const AsfUnit& unit);
    void TrackBacklog(const StreamPacket& packet);

    const StreamServerLimits limits_;
    mutable std::mutex mutex_;
    AsfStreamSplitter splitter_;
    std::vector<AsfUnit> units_;

    QByteArray header_;
    asf::HeaderInfo headerInfo_;
    std::uint32_t generation_ = 0;
    std::uint64_t nextSeq_ = 1;

    // The run of packets since the last start point (or since the header).
    std::deque<StreamPacket> backlog_;
    std::size_t runBytes_ = 0;
    std::chrono::steady_clock::time_point runStarted_;
    bool runHasStart_ = false;
    bool backlogDropped_ = false;  // the run outgrew the backlog: joining viewers wait for the next
    bool noStartPoints_ = false;   // none for so long that viewers start anywhere

    bool handOut_ = false;
    std::deque<StreamPacket> pending_;
    std::size_t pendingBytes_ = 0;
    bool lostPackets_ = false;
};

}  // namespace wavetap
