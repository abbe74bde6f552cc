#include "wavetap/stream/wmsp_protocol.h"

#include <algorithm>
#include <optional>
#include <string>

#include "wavetap/stream/http_request.h"

namespace wavetap {

namespace {

constexpr char kServerName[] = "Castora-Wavetap/1.0";
// An MMS data packet holds at most 65,535 bytes including its 8-byte prefix.
constexpr std::size_t kMaxFramePayload = 65535 - 8;
// AFFlags of a $H packet: 0x04 marks the first piece of the header, 0x08 the last.
constexpr std::uint8_t kHeaderFirstPiece = 0x04;
constexpr std::uint8_t kHeaderLastPiece = 0x08;

void PutLe16(char* p, std::uint32_t value)
{
    p[0] = static_cast<char>(value & 0xFF);
    p[1] = static_cast<char>((value >> 8) & 0xFF);
}

void PutLe32(char* p, std::uint32_t value)
{
    PutLe16(p, value & 0xFFFF);
    PutLe16(p + 2, value >> 16);
}

DataFramePrefix FramePrefix(char packetId, std::uint32_t locationId, std::uint8_t afFlags, std::uint32_t payloadSize)
{
    // Framing header: '$', packet id, length of what follows; then the MMS data packet
    // prefix: location id, incarnation, AFFlags, and the MMS packet size again.
    const std::uint32_t mmsSize = static_cast<std::uint32_t>(payloadSize + 8);
    DataFramePrefix prefix{};
    prefix[0] = '$';
    prefix[1] = packetId;
    PutLe16(&prefix[2], mmsSize);
    PutLe32(&prefix[4], locationId);
    prefix[8] = 0;
    prefix[9] = static_cast<char>(afFlags);
    PutLe16(&prefix[10], mmsSize);
    return prefix;
}

QByteArray Head(const char* status, const std::string& fields)
{
    std::string head = std::string("HTTP/1.0 ") + status + "\r\nServer: " + kServerName + "\r\n" + fields +
                       "Cache-Control: no-cache\r\nConnection: close\r\n\r\n";
    return QByteArray(head.data(), static_cast<qsizetype>(head.size()));
}

}  // namespace

ViewerKind ClassifyRequest(const HttpRequest& request)
{
    const std::optional<std::string> playStream = request.Pragma("xPlayStrm");
    if (playStream && *playStream != "0")
        return ViewerKind::Play;
    const std::string agent = request.Header("User-Agent").value_or(std::string());
    const bool windowsMediaAgent = agent.rfind("NSPlayer", 0) == 0 || agent.rfind("NSServer", 0) == 0 ||
                                   agent.rfind("WMFSDK", 0) == 0;
    if (request.Pragma("xClientGUID") || windowsMediaAgent)
        return ViewerKind::Describe;
    return ViewerKind::PlainHttp;
}

DataFramePrefix DataPacketPrefix(std::uint32_t locationId, std::uint32_t packetSize)
{
    // The AFFlags of $D packets count them modulo 256 from 0, as the location id does here.
    return FramePrefix('D', locationId, static_cast<std::uint8_t>(locationId & 0xFF), packetSize);
}

QByteArray FramedHeader(const QByteArray& asfHeader)
{
    QByteArray framed;
    const std::size_t total = static_cast<std::size_t>(asfHeader.size());
    std::size_t offset = 0;
    std::uint32_t piece = 0;
    do {
        const std::size_t size = std::min(kMaxFramePayload, total - offset);
        std::uint8_t flags = 0;
        if (offset == 0)
            flags |= kHeaderFirstPiece;
        if (offset + size == total)
            flags |= kHeaderLastPiece;
        const DataFramePrefix prefix = FramePrefix('H', piece++, flags, static_cast<std::uint32_t>(size));
        framed.append(prefix.data(), static_cast<qsizetype>(prefix.size()));
        framed.append(asfHeader.constData() + offset, static_cast<qsizetype>(size));
        offset += size;
    } while (offset < total);
    return framed;
}

QByteArray EndOfStreamPacket()
{
    // Framing header with a 4-byte reason: S_OK, the broadcast is over.
    QByteArray packet(8, '\0');
    packet[0] = '$';
    packet[1] = 'E';
    PutLe16(packet.data() + 2, 4);
    return packet;
}

QByteArray DescribeResponseHead(std::uint32_t clientId, std::size_t contentLength)
{
    return Head("200 OK", "Content-Type: application/vnd.ms.wms-hdr.asfv1\r\nContent-Length: " +
                              std::to_string(contentLength) + "\r\nPragma: no-cache,client-id=" +
                              std::to_string(clientId) + ",xResetStrm=1,features=\"broadcast\"\r\n");
}

QByteArray PlayResponseHead(std::uint32_t clientId)
{
    return Head("200 OK", "Content-Type: application/x-mms-framed\r\nPragma: no-cache,client-id=" +
                              std::to_string(clientId) + ",features=\"broadcast\",timeout=60000\r\n");
}

QByteArray PlainResponseHead()
{
    return Head("200 OK", "Content-Type: video/x-ms-asf\r\n");
}

QByteArray ErrorResponse(int status)
{
    const char* reason = status == 400   ? "400 Bad Request"
                         : status == 405 ? "405 Method Not Allowed"
                         : status == 503 ? "503 Service Unavailable"
                                         : "500 Internal Server Error";
    const std::string body = std::string(reason) + "\r\n";
    QByteArray response = Head(reason, "Content-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
                                           "\r\n");
    response.append(body.data(), static_cast<qsizetype>(body.size()));
    return response;
}

}  // namespace wavetap
