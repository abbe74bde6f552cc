#include "wavetap/stream/stream_feed.h"

#include "wavetap/stream/asf_join_packet.h"

namespace wavetap {

StreamFeed::StreamFeed(const StreamServerLimits& limits) : limits_(limits) {}

bool StreamFeed::Feed(const char* data, std::size_t size)
{
    std::lock_guard lock(mutex_);
    const bool wasEmpty = pending_.empty();
    bool newHeader = false;
    units_.clear();
    splitter_.Feed(data, size, units_);
    for (const AsfUnit& unit : units_) {
        if (unit.kind == AsfUnit::Kind::Header) {
            AddHeader(unit);
            newHeader = true;
        } else {
            AddPacket(unit);
        }
    }
    units_.clear();
    return (newHeader && handOut_) || (wasEmpty && !pending_.empty());
}

void StreamFeed::SetHandOut(bool enabled)
{
    std::lock_guard lock(mutex_);
    handOut_ = enabled;
    pending_.clear();
    pendingBytes_ = 0;
    lostPackets_ = false;
}

StreamFeed::Batch StreamFeed::TakePending()
{
    std::lock_guard lock(mutex_);
    Batch batch;
    batch.packets.assign(std::make_move_iterator(pending_.begin()), std::make_move_iterator(pending_.end()));
    batch.lostPackets = lostPackets_;
    pending_.clear();
    pendingBytes_ = 0;
    lostPackets_ = false;
    return batch;
}

StreamStart StreamFeed::Snapshot() const
{
    std::lock_guard lock(mutex_);
    StreamStart start;
    start.header = header_;
    start.generation = generation_;
    start.backlog.assign(backlog_.begin(), backlog_.end());
    start.lastSeq = nextSeq_ - 1;
    start.startAnyPacket = noStartPoints_;
    return start;
}

void StreamFeed::AddHeader(const AsfUnit& unit)
{
    header_ = unit.bytes;
    headerInfo_ = unit.header;
    ++generation_;
    backlog_.clear();
    runBytes_ = 0;
    runHasStart_ = false;
    backlogDropped_ = false;
    noStartPoints_ = false;
}

void StreamFeed::AddPacket(const AsfUnit& unit)
{
    StreamPacket packet;
    packet.bytes = unit.bytes;
    packet.seq = nextSeq_++;
    packet.generation = generation_;
    packet.startPoint = unit.startPoint;
    if (packet.startPoint) {
        if (std::optional<QByteArray> join = asf::JoinPacket(packet.bytes, headerInfo_))
            packet.joinBytes = std::move(*join);
    }
    TrackBacklog(packet);
    if (!handOut_)
        return;
    // While the stream shows no start points, a viewer that lost its place resumes anywhere.
    if (noStartPoints_)
        packet.startPoint = true;
    const auto size = static_cast<std::size_t>(packet.bytes.size());
    while (!pending_.empty() && pendingBytes_ + size > limits_.maxPendingBytes) {
        pendingBytes_ -= static_cast<std::size_t>(pending_.front().bytes.size());
        pending_.pop_front();
        lostPackets_ = true;
    }
    pendingBytes_ += size;
    pending_.push_back(std::move(packet));
}

void StreamFeed::TrackBacklog(const StreamPacket& packet)
{
    if (packet.startPoint) {
        backlog_.clear();
        runBytes_ = 0;
        runHasStart_ = true;
        backlogDropped_ = false;
        noStartPoints_ = false;
    }
    // The run's length is measured on arrival: send times cannot be trusted to share one
    // time base across streams.
    const auto now = std::chrono::steady_clock::now();
    if (runBytes_ == 0)
        runStarted_ = now;
    runBytes_ += static_cast<std::size_t>(packet.bytes.size());
    const auto span = now - runStarted_;
    if (!backlogDropped_ && (runBytes_ > limits_.maxBacklogBytes || span > std::chrono::milliseconds(limits_.maxBacklogSpanMs))) {
        // Too long to replay: joining viewers wait for the next start point instead.
        backlogDropped_ = true;
        backlog_.clear();
    }
    // Start points too far apart to wait for (or none found at all): viewers start anywhere.
    if (span > std::chrono::milliseconds(limits_.maxStartPointWaitMs))
        noStartPoints_ = true;
    if (runHasStart_ && !backlogDropped_)
        backlog_.push_back(packet);
}

}  // namespace wavetap
