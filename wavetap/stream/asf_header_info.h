// What the stream server needs to know from an ASF header: the fixed packet size and
// which streams carry video (their key frames are where new viewers may start).
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace wavetap::asf {

struct HeaderInfo {
    std::uint32_t packetSize = 0;
    std::bitset<128> videoStreams;
    int streamCount = 0;
    // Packets in the Data Object when the writer knew it; 0 for an open-ended live stream.
    std::uint64_t dataPacketCount = 0;
};

// Largest packet that still fits one MMS data packet (65,535 bytes less its 8-byte prefix).
inline constexpr std::uint32_t kMaxPacketSize = 65527;

// Parses a Header Object followed by the 50-byte start of the Data Object. Returns nothing
// when the bytes are not such a header, or when the packet size is not fixed and usable.
std::optional<HeaderInfo> ParseHeader(const std::uint8_t* data, std::size_t size);

}  // namespace wavetap::asf
