// The padding at the end of an ASF data packet. A push leaves it out ([MS-WMHTTP]
// 2.2.3.3: the Padding Data is removed and the Padding Length says so); a server that
// re-serves the stream puts it back, since viewers expect the header's fixed packet size.
#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

namespace wavetap::asf {

// The packet without its Padding Data: Padding Length becomes 0, and a Packet Length
// field, when there is one, the new size. A packet without padding comes back as it is;
// nullopt when the packet's fields do not fit inside it.
std::optional<QByteArray> StripPadding(const QByteArray& packet);

// The packet grown to `packetSize` with zero padding and its Padding Length saying so
// (the field is widened when it is missing or too narrow). nullopt when the packet is
// larger than `packetSize` or its fields do not fit inside it.
std::optional<QByteArray> RestorePadding(const QByteArray& packet, std::uint32_t packetSize);

// The packet with its Packet Length field, when it has one, counting the whole packet,
// padding included (readers take a shorter length as a broken packet). nullopt when the
// packet's fields do not fit inside it or the size does not fit the field.
std::optional<QByteArray> WithFullPacketLength(const QByteArray& packet);

}  // namespace wavetap::asf
