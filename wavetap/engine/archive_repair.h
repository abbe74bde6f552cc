#pragma once
// Post-processing of an archive file the muxer has finished: its header and its last data
// packet are corrected in place, so players read every frame of it.

#include "engine/profile.h"
#include "wavetap/stream/asf_header_repair.h"

#include <QString>

#include <cstdint>

namespace wavetap::engine {

// The bitrates the profile asks of its streams.
asf::StreamBitrates ProfileBitrates(const Profile& profile);

// Repairs the header (see asf::RepairHeader) and the last data packet's Packet Length,
// which the muxer writes without the packet's padding. False when the file cannot be
// read or written, or is not an ASF file this can walk; an unreadable file is left as it is.
bool RepairArchive(const QString& path, const asf::StreamBitrates& bitrates, std::uint64_t creationTime);

}  // namespace wavetap::engine
