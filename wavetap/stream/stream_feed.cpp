#include "wavetap/stream/stream_feed.h"

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
    start.startAnyPacket = runTooLong_;
    return start;
}

void StreamFeed::AddHeader(const AsfUnit& unit)
{
    header_ = unit.bytes;
    ++generation_;
    backlog_.clear();
    runBytes_ = 0;
    runHasStart_ = false;
    runTooLong_ = false;
}

void StreamFeed::AddPacket(const AsfUnit& unit)
{
    StreamPacket packet;
    packet.bytes = unit.bytes;
    packet.seq = nextSeq_++;
    packet.generation = generation_;
    packet.startPoint = unit.startPoint;
    TrackBacklog(packet);
    if (!handOut_)
        return;
    // While start points are out of reach, a viewer that lost its place resumes anywhere.
    if (runTooLong_)
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
        runTooLong_ = false;
    }
    // The run's length is measured on arrival: send times cannot be trusted to share one
    // time base across streams.
    const auto now = std::chrono::steady_clock::now();
    if (runBytes_ == 0)
        runStarted_ = now;
    runBytes_ += static_cast<std::size_t>(packet.bytes.size());
    const bool tooLong = runBytes_ > limits_.maxBacklogBytes ||
                         now - runStarted_ > std::chrono::milliseconds(limits_.maxBacklogSpanMs);
    if (!runTooLong_ && tooLong) {
        // Start points are too far apart to wait for or to replay: viewers start anywhere.
        runTooLong_ = true;
        backlog_.clear();
    }
    if (runHasStart_ && !runTooLong_)
        backlog_.push_back(packet);
}

}  // namespace wavetap
