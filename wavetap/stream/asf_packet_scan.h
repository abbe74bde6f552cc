// Reads the payload parsing information of one ASF data packet: its send time and
// whether a video key frame starts in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "wavetap/stream/asf_header_info.h"

namespace wavetap::asf {

struct PacketInfo {
    std::uint32_t sendTimeMs = 0;
    // A payload of a video stream that begins a key frame.
    bool startsVideoKeyFrame = false;
};

// Returns nothing when the packet's fields do not fit inside it.
std::optional<PacketInfo> ScanPacket(const std::uint8_t* data, std::size_t size, const HeaderInfo& header);

}  // namespace wavetap::asf
