// The wire format towards viewers: how a request is answered, the response heads, and
// the Windows Media HTTP streaming framing ($H header, $D data, $E end of stream).
#pragma once

#include <QByteArray>

#include <array>
#include <cstddef>
#include <cstdint>

namespace wavetap {

class HttpRequest;

enum class ViewerKind {
    Describe,   // a Windows Media player asking for the stream's header
    Play,       // a Windows Media player starting the stream (xPlayStrm=1)
    PlainHttp,  // any other player: the raw ASF stream
};

ViewerKind ClassifyRequest(const HttpRequest& request);

// Size of the framing and data packet prefix in front of each $H and $D payload.
inline constexpr std::size_t kDataFramePrefixSize = 12;
using DataFramePrefix = std::array<char, kDataFramePrefixSize>;

// The prefix of the $D packet carrying a viewer's packet number locationId (from 0), of packetSize bytes.
DataFramePrefix DataPacketPrefix(std::uint32_t locationId, std::uint32_t packetSize);
// The ASF header as one or more $H packets.
QByteArray FramedHeader(const QByteArray& asfHeader);
// $E: the stream has ended.
QByteArray EndOfStreamPacket();

QByteArray DescribeResponseHead(std::uint32_t clientId, std::size_t contentLength);
QByteArray PlayResponseHead(std::uint32_t clientId);
QByteArray PlainResponseHead();
// A complete short response for a refused request (400, 405, 503).
QByteArray ErrorResponse(int status);

}  // namespace wavetap
