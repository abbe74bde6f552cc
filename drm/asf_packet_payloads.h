#pragma once
// The payloads of one ASF data packet: where each piece of a media object lies in the
// packet, and which object (stream, object number, presentation time) and offset it is.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace drm::asf {

struct PayloadPiece {
    std::uint8_t stream = 0;             // stream number, without the key-frame bit
    std::uint32_t objectNumber = 0;
    std::uint32_t presentationTime = 0;  // from the replicated data; 0 when it has none
    std::uint32_t objectOffset = 0;      // where the piece starts in its media object
    std::size_t dataPos = 0;             // where its bytes start in the packet
    std::size_t dataSize = 0;
};

// Appends the pieces of the packet to `pieces` (cleared first); false when the packet's
// fields do not fit inside it. Compressed payloads give one piece per media object.
bool ReadPayloads(const std::uint8_t* packet, std::size_t size, std::vector<PayloadPiece>* pieces);

}  // namespace drm::asf
