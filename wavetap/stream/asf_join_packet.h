// The packet a viewer joins the stream with: the one where a video key frame starts, less
// the video before the key frame in it (the end of the frame before, whole small frames).
// Players would decode those first, without the pictures they refer to.
#pragma once

#include <QByteArray>

#include <optional>

#include "wavetap/stream/asf_header_info.h"

namespace wavetap::asf {

// The packet, of the same size, without the video payloads before its first key frame start;
// nullopt when there are none (the packet serves as it is) or it cannot be read.
std::optional<QByteArray> JoinPacket(const QByteArray& packet, const HeaderInfo& header);

}  // namespace wavetap::asf
