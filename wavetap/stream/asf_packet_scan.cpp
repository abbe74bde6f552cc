#include "wavetap/stream/asf_packet_scan.h"

#include "wavetap/stream/asf_format.h"

namespace wavetap::asf {

namespace {

// Walks the packet's bytes; every read is checked against the end.
class PacketReader {
public:
    PacketReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Skip(std::size_t count)
    {
        if (count > size_ - pos_)
            return false;
        pos_ += count;
        return true;
    }

    bool Byte(std::uint32_t& value) { return Sized(1, value); }

    // Reads a field whose width is given by a 2-bit length type: 0, 1, 2 or 4 bytes.
    bool Typed(unsigned lengthType, std::uint32_t& value)
    {
        static constexpr std::size_t kWidths[4] = {0, 1, 2, 4};
        return Sized(kWidths[lengthType & 3], value);
    }

    bool Sized(std::size_t width, std::uint32_t& value)
    {
        if (width > size_ - pos_)
            return false;
        const std::uint8_t* p = data_ + pos_;
        value = width == 0 ? 0 : width == 1 ? p[0] : width == 2 ? ReadLe16(p) : ReadLe32(p);
        pos_ += width;
        return true;
    }

    std::size_t Position() const { return pos_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

constexpr std::uint32_t kErrorCorrectionPresent = 0x80;
constexpr std::uint32_t kMultiplePayloads = 0x01;
constexpr std::uint32_t kKeyFrameBit = 0x80;
// A replicated data length of 1 marks a payload of whole, compressed media objects.
constexpr std::uint32_t kCompressedPayload = 1;

}  // namespace

std::optional<PacketInfo> ScanPacket(const std::uint8_t* data, std::size_t size, const HeaderInfo& header,
                                     PacketLayout* layout)
{
    PacketReader reader(data, size);
    std::uint32_t flags = 0;
    if (!reader.Byte(flags))
        return std::nullopt;
    if (flags & kErrorCorrectionPresent) {
        // Error correction data: its length sits in the low nibble; the length type must be 0.
        if (((flags >> 5) & 3) != 0 || !reader.Skip(flags & 0x0F) || !reader.Byte(flags))
            return std::nullopt;
    }
    std::uint32_t properties = 0;
    if (!reader.Byte(properties))
        return std::nullopt;
    const unsigned sequenceType = (flags >> 1) & 3;
    const unsigned paddingType = (flags >> 3) & 3;
    const unsigned packetLengthType = (flags >> 5) & 3;
    const unsigned replicatedType = properties & 3;
    const unsigned offsetType = (properties >> 2) & 3;
    const unsigned objectNumberType = (properties >> 4) & 3;

    std::uint32_t packetLength = 0, sequence = 0, padding = 0, duration = 0;
    PacketInfo info;
    if (!reader.Typed(packetLengthType, packetLength) || !reader.Typed(sequenceType, sequence) ||
        !reader.Typed(paddingType, padding) || !reader.Sized(4, info.sendTimeMs) || !reader.Sized(2, duration))
        return std::nullopt;
    // Writers disagree on whether Packet Length counts the padding, so payloads are bounded
    // by the packet itself; the padding must still fit in it.
    if (padding > size || packetLength > size)
        return std::nullopt;

    std::uint32_t payloadCount = 1;
    unsigned payloadLengthType = 0;
    const bool multiple = flags & kMultiplePayloads;
    if (layout)
        *layout = {};
    if (multiple) {
        if (layout)
            layout->payloadFlagsAt = reader.Position();
        std::uint32_t payloadFlags = 0;
        if (!reader.Byte(payloadFlags))
            return std::nullopt;
        payloadCount = payloadFlags & 0x3F;
        payloadLengthType = (payloadFlags >> 6) & 3;
    }
    for (std::uint32_t i = 0; i < payloadCount; ++i) {
        const std::size_t begin = reader.Position();
        std::uint32_t streamByte = 0, objectNumber = 0, offset = 0, replicated = 0;
        if (!reader.Byte(streamByte) || !reader.Typed(objectNumberType, objectNumber) ||
            !reader.Typed(offsetType, offset) || !reader.Typed(replicatedType, replicated))
            return std::nullopt;
        // A compressed payload carries a presentation time delta byte instead of replicated data.
        if (!reader.Skip(replicated == kCompressedPayload ? 1 : replicated))
            return std::nullopt;
        // A single payload fills the rest of the packet; several carry their own lengths.
        std::uint32_t payloadLength = 0;
        if (multiple && (!reader.Typed(payloadLengthType, payloadLength) || !reader.Skip(payloadLength)))
            return std::nullopt;
        const bool objectStart = replicated == kCompressedPayload || offset == 0;
        const bool video = header.videoStreams.test(streamByte & 0x7F);
        const bool keyFrameStart = (streamByte & kKeyFrameBit) && objectStart && video;
        info.startsVideoKeyFrame = info.startsVideoKeyFrame || keyFrameStart;
        if (layout) {
            const std::size_t end = multiple ? reader.Position() : size - padding;
            if (end < reader.Position())
                return std::nullopt;
            layout->payloads.push_back({begin, end, streamByte & 0x7F, keyFrameStart, video, objectStart});
        }
    }
    return info;
}

}  // namespace wavetap::asf
