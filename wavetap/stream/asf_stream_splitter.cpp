#include "wavetap/stream/asf_stream_splitter.h"

#include <algorithm>
#include <optional>

#include "wavetap/stream/asf_format.h"
#include "wavetap/stream/asf_packet_scan.h"

namespace wavetap {

void AsfStreamSplitter::Feed(const char* data, std::size_t size, std::vector<AsfUnit>& out)
{
    buffer_.append(data, size);
    for (;;) {
        const bool progressed = state_ == State::SeekHeader ? TakeHeader(out) : TakePacket(out);
        if (!progressed)
            break;
    }
    // Drop what was consumed once it dominates the buffer, so appends stay cheap.
    if (consumed_ > 0 && consumed_ >= buffer_.size() / 2) {
        buffer_.erase(0, consumed_);
        consumed_ = 0;
    }
}

const std::uint8_t* AsfStreamSplitter::Pending() const
{
    return reinterpret_cast<const std::uint8_t*>(buffer_.data()) + consumed_;
}

void AsfStreamSplitter::Consume(std::size_t count)
{
    consumed_ += count;
}

bool AsfStreamSplitter::TakeHeader(std::vector<AsfUnit>& out)
{
    const std::uint8_t* pending = Pending();
    const std::size_t available = PendingSize();
    const auto& guid = asf::kHeaderObject;
    const std::uint8_t* found = std::search(pending, pending + available, guid.begin(), guid.end());
    if (found == pending + available) {
        // Keep only a tail that may be the start of a Header Object id.
        const std::size_t keep = std::min(available, guid.size() - 1);
        Consume(available - keep);
        return false;
    }
    Consume(static_cast<std::size_t>(found - pending));
    pending = Pending();
    if (PendingSize() < asf::kObjectPrologSize)
        return false;
    const std::uint64_t headerSize = asf::ReadLe64(pending + 16);
    if (headerSize < asf::kHeaderObjectFixedSize || headerSize + asf::kDataObjectFixedSize > kMaxHeaderSize) {
        Consume(1);  // not a real header: look for the next id
        return true;
    }
    const std::size_t total = static_cast<std::size_t>(headerSize) + asf::kDataObjectFixedSize;
    if (PendingSize() < total)
        return false;
    const std::optional<asf::HeaderInfo> info = asf::ParseHeader(pending, total);
    if (!info) {
        Consume(1);
        return true;
    }
    AsfUnit unit;
    unit.kind = AsfUnit::Kind::Header;
    unit.bytes = QByteArray(reinterpret_cast<const char*>(pending), static_cast<qsizetype>(total));
    unit.header = *info;
    out.push_back(std::move(unit));
    Consume(total);
    header_ = *info;
    packetsLeft_ = info->dataPacketCount;
    state_ = State::Packets;
    return true;
}

bool AsfStreamSplitter::TakePacket(std::vector<AsfUnit>& out)
{
    const std::uint8_t* pending = Pending();
    if (PendingSize() >= asf::kHeaderObject.size() && asf::GuidAt(pending, asf::kHeaderObject)) {
        state_ = State::SeekHeader;  // the writer started a new stream
        return true;
    }
    if (PendingSize() < header_.packetSize)
        return false;
    AsfUnit unit;
    unit.kind = AsfUnit::Kind::Packet;
    unit.bytes = QByteArray(reinterpret_cast<const char*>(pending), static_cast<qsizetype>(header_.packetSize));
    const std::optional<asf::PacketInfo> info = asf::ScanPacket(pending, header_.packetSize, header_);
    unit.startPoint = info && (header_.videoStreams.none() || info->startsVideoKeyFrame);
    out.push_back(std::move(unit));
    Consume(header_.packetSize);
    if (packetsLeft_ > 0 && --packetsLeft_ == 0)
        state_ = State::SeekHeader;  // index objects may follow; skip to the next header
    return true;
}

}  // namespace wavetap
