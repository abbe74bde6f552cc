// Splits a live ASF byte stream, fed in arbitrary pieces, into its header (the Header
// Object plus the fixed start of the Data Object) and its fixed-size data packets.
// A new Header Object at a packet boundary starts a new stream; bytes that belong to
// neither (index objects, garbage) are skipped until the next Header Object.
#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "wavetap/stream/asf_header_info.h"

namespace wavetap {

struct AsfUnit {
    enum class Kind { Header, Packet };
    Kind kind = Kind::Packet;
    QByteArray bytes;
    asf::HeaderInfo header;  // Header units only
    // Packets: a viewer may start here (a video key frame begins, or the stream has no video).
    bool startPoint = false;
};

class AsfStreamSplitter {
public:
    // Headers larger than this are treated as garbage, which bounds the buffer.
    static constexpr std::size_t kMaxHeaderSize = 1 << 20;

    // Appends the complete units found so far to out.
    void Feed(const char* data, std::size_t size, std::vector<AsfUnit>& out);

private:
    enum class State { SeekHeader, Packets };

    bool TakeHeader(std::vector<AsfUnit>& out);
    bool TakePacket(std::vector<AsfUnit>& out);
    const std::uint8_t* Pending() const;
    std::size_t PendingSize() const { return buffer_.size() - consumed_; }
    void Consume(std::size_t count);

    State state_ = State::SeekHeader;
    std::string buffer_;
    std::size_t consumed_ = 0;
    asf::HeaderInfo header_;
    std::uint64_t packetsLeft_ = 0;  // when the header gave a count
};

}  // namespace wavetap
