// The packets of a Windows Media HTTP push ([MS-WMHTTP] 2.2.3): what an encoder sends in
// the body of its push start requests. Each packet is a 4-byte framing header ('$', the
// packet id, the little-endian length of what follows) and a payload:
//   $H  the first ASF header (Header Object plus the 50-byte start of the Data Object)
//   $D  one ASF data packet
//   $C  a 4-byte reason, then a new ASF header (the next entry of a play list)
//   $E  a 4-byte reason only: the last data packet was sent (0 done, 1 a $C follows)
//   $F  filler bytes that make the body as long as its Content-Length
#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wavetap::push {

inline constexpr std::size_t kFramingHeaderSize = 4;
inline constexpr std::size_t kMaxHeaderSize = 65531;        // $H payload
inline constexpr std::size_t kMaxStreamChangeHeader = 65527;  // $C header after its reason
inline constexpr std::size_t kMaxDataPacketSize = 65531;    // $D payload
inline constexpr std::size_t kEndOfStreamSize = 8;          // $E with its reason

// $E reasons.
inline constexpr std::uint32_t kEndOfPush = 0;     // S_OK: no more data packets
inline constexpr std::uint32_t kEndOfEntry = 1;    // S_FALSE: a $C with the next header follows

// Encoded packets; empty when the payload is too large for its packet type.
QByteArray HeaderPacket(const QByteArray& asfHeader);
QByteArray DataPacket(const QByteArray& asfPacket);
QByteArray StreamChangePacket(const QByteArray& asfHeader);
QByteArray EndOfStreamPacket(std::uint32_t reason);
// One $F packet of exactly `totalSize` bytes including its framing header (4 to 65,535).
QByteArray FillerPacket(std::size_t totalSize);
// $F packets that together take exactly `totalSize` bytes (0 gives none).
std::vector<QByteArray> FillerPackets(std::size_t totalSize);

struct PushPacket {
    char type = 0;  // 'H', 'D', 'C', 'E' or 'F'
    QByteArray payload;  // $H/$C: the ASF header, $D: the data packet, $F: the filler
    std::uint32_t reason = 0;  // $C and $E
};

// Reads the packets of a push body fed in pieces of any size. A byte that does not start
// a known packet, or a length its type does not allow, is a protocol error: the reader
// stops there and reports it (a server answers such a body with an error status).
class PushBodyReader {
public:
    // Appends the complete packets found so far; false once the body is malformed.
    bool Feed(const char* data, std::size_t size, std::vector<PushPacket>& out);
    bool Failed() const { return !error_.empty(); }
    const std::string& Error() const { return error_; }
    // Bytes of an incomplete packet held back for the next Feed.
    std::size_t Pending() const { return buffer_.size() - consumed_; }

private:
    bool TakePacket(std::vector<PushPacket>& out);

    std::string buffer_;
    std::size_t consumed_ = 0;
    std::string error_;
};

}  // namespace wavetap::push
