// Corrections to the ASF headers GStreamer's asfmux writes, which players stumble over: its
// count of header objects, stream bitrates it leaves at 0 (so the maximum bitrate is the
// audio's alone), and a creation date that is not UTC.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace wavetap::asf {

// The bitrates the encoder was asked for, in bits per second, for streams of each kind that
// the header leaves without one.
struct StreamBitrates {
    std::uint32_t video = 0;
    std::uint32_t audio = 0;
};

// Time as ASF keeps it: 100-nanosecond units since 1601-01-01 UTC.
std::uint64_t FileTime(std::chrono::system_clock::time_point time);

// Repairs the Header Object at data (size covers at least the whole object) in place: the
// object count becomes the number of objects in it, streams without a bitrate get the one
// given for their kind, the File Properties' maximum bitrate becomes at least the sum of the
// streams' bitrates, and the creation date becomes creationTime. False, with nothing
// changed, when the bytes are no Header Object whose objects can be walked.
bool RepairHeader(std::uint8_t* data, std::size_t size, const StreamBitrates& bitrates, std::uint64_t creationTime);

}  // namespace wavetap::asf
