// Reads the payload parsing information of one ASF data packet: its send time and
// whether a video key frame starts in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "wavetap/stream/asf_header_info.h"

namespace wavetap::asf {

struct PacketInfo {
    std::uint32_t sendTimeMs = 0;
    // A payload of a video stream that begins a key frame.
    bool startsVideoKeyFrame = false;
};

// Where one payload sits in its packet (from its stream number byte to its last data byte).
struct PayloadSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    unsigned stream = 0;
    bool videoKeyFrameStart = false;
    bool video = false;
    bool objectStart = false;  // the payload begins its media object
};

// How a packet's payloads are laid out, for rewriting it.
struct PacketLayout {
    std::size_t payloadFlagsAt = 0;  // the payload count byte; 0 for a single-payload packet
    std::vector<PayloadSpan> payloads;
};

// Returns nothing when the packet's fields do not fit inside it. Fills the layout when given.
std::optional<PacketInfo> ScanPacket(const std::uint8_t* data, std::size_t size, const HeaderInfo& header,
                                     PacketLayout* layout = nullptr);

}  // namespace wavetap::asf
