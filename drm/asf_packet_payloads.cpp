#include "drm/asf_packet_payloads.h"

#include "wavetap/stream/asf_format.h"

namespace drm::asf {

namespace {

using wavetap::asf::ReadLe16;
using wavetap::asf::ReadLe32;

constexpr std::uint8_t kErrorCorrectionPresent = 0x80;
constexpr std::uint8_t kMultiplePayloads = 0x01;
// A replicated data length of 1 marks a payload of whole, compressed media objects.
constexpr std::uint32_t kCompressedPayload = 1;

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Skip(std::size_t count) {
        if (count > size_ - pos_) return false;
        pos_ += count;
        return true;
    }
    // A field 0, 1, 2 or 4 bytes wide, as a 2-bit length type says.
    bool Typed(unsigned lengthType, std::uint32_t* value) {
        static constexpr std::size_t kWidths[4] = {0, 1, 2, 4};
        return Sized(kWidths[lengthType & 3], value);
    }
    bool Sized(std::size_t width, std::uint32_t* value) {
        if (width > size_ - pos_) return false;
        const std::uint8_t* p = data_ + pos_;
        *value = width == 0 ? 0 : width == 1 ? p[0] : width == 2 ? ReadLe16(p) : ReadLe32(p);
        pos_ += width;
        return true;
    }
    std::size_t Position() const { return pos_; }
    std::size_t Left() const { return size_ - pos_; }
    const std::uint8_t* Here() const { return data_ + pos_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// The sub-payloads of a compressed payload: each a length byte and one whole media object.
bool ReadCompressed(const Reader& payload, std::size_t base, PayloadPiece first, std::vector<PayloadPiece>* pieces) {
    Reader sub(payload.Here(), payload.Left());
    while (sub.Left() > 0) {
        std::uint32_t length = 0;
        if (!sub.Sized(1, &length)) return false;
        PayloadPiece piece = first;
        piece.dataPos = base + sub.Position();
        piece.dataSize = length;
        if (!sub.Skip(length)) return false;
        pieces->push_back(piece);
        ++first.objectNumber;
    }
    return true;
}

}  // namespace

bool ReadPayloads(const std::uint8_t* packet, std::size_t size, std::vector<PayloadPiece>* pieces) {
    pieces->clear();
    Reader reader(packet, size);
    std::uint32_t flags = 0;
    if (!reader.Sized(1, &flags)) return false;
    if (flags & kErrorCorrectionPresent) {
        // Error correction data: length in the low nibble, its length type must be 0.
        if (((flags >> 5) & 3) != 0 || !reader.Skip(flags & 0x0F) || !reader.Sized(1, &flags)) return false;
        if (flags & kErrorCorrectionPresent) return false;
    }
    std::uint32_t properties = 0;
    if (!reader.Sized(1, &properties)) return false;
    const unsigned replicatedType = properties & 3;
    const unsigned offsetType = (properties >> 2) & 3;
    const unsigned objectNumberType = (properties >> 4) & 3;
    std::uint32_t packetLength = 0, sequence = 0, padding = 0, sendTime = 0, duration = 0;
    if (!reader.Typed((flags >> 5) & 3, &packetLength) || !reader.Typed((flags >> 1) & 3, &sequence) ||
        !reader.Typed((flags >> 3) & 3, &padding) || !reader.Sized(4, &sendTime) || !reader.Sized(2, &duration))
        return false;
    // Where the payloads end: the packet length (the packet size when not given) less
    // the padding; some writers (asfmux) leave the padding out of the packet length.
    if (packetLength > size) return false;
    const std::size_t length = packetLength != 0 ? packetLength : size;
    std::size_t end = 0;
    if (packetLength != 0 && padding > 0 && std::size_t{packetLength} + padding == size)
        end = packetLength;
    else if (padding <= length)
        end = length - padding;
    else
        return false;
    if (end < reader.Position()) return false;

    const bool multiple = flags & kMultiplePayloads;
    std::uint32_t count = 1;
    unsigned payloadLengthType = 0;
    if (multiple) {
        std::uint32_t payloadFlags = 0;
        if (!reader.Sized(1, &payloadFlags)) return false;
        count = payloadFlags & 0x3F;
        payloadLengthType = (payloadFlags >> 6) & 3;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t stream = 0, replicated = 0;
        PayloadPiece piece;
        if (!reader.Sized(1, &stream) || !reader.Typed(objectNumberType, &piece.objectNumber) ||
            !reader.Typed(offsetType, &piece.objectOffset) || !reader.Typed(replicatedType, &replicated))
            return false;
        piece.stream = static_cast<std::uint8_t>(stream & 0x7F);
        const bool compressed = replicated == kCompressedPayload;
        if (compressed) {
            // The offset field holds the presentation time; one delta byte follows.
            piece.presentationTime = piece.objectOffset;
            piece.objectOffset = 0;
            if (!reader.Skip(1)) return false;
        } else {
            if (replicated >= 8 && reader.Left() >= 8) piece.presentationTime = ReadLe32(reader.Here() + 4);
            if (!reader.Skip(replicated)) return false;
        }
        std::uint32_t dataSize = 0;
        if (multiple) {
            if (!reader.Typed(payloadLengthType, &dataSize)) return false;
        } else {
            if (reader.Position() > end) return false;
            dataSize = static_cast<std::uint32_t>(end - reader.Position());
        }
        if (dataSize > reader.Left()) return false;
        const std::size_t base = reader.Position();
        if (compressed) {
            if (!ReadCompressed(Reader(reader.Here(), dataSize), base, piece, pieces)) return false;
        } else {
            piece.dataPos = base;
            piece.dataSize = dataSize;
            pieces->push_back(piece);
        }
        reader.Skip(dataSize);
    }
    return true;
}

}  // namespace drm::asf
