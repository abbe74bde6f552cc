#include "wavetap/stream/push_framing.h"

#include <algorithm>

#include "wavetap/stream/asf_format.h"

namespace wavetap::push {

namespace {

constexpr char kFrameByte = '$';  // 0x24: the B flag is always 0 in a push

void AppendLe16(QByteArray& out, std::size_t value)
{
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

void AppendLe32(QByteArray& out, std::uint32_t value)
{
    AppendLe16(out, value & 0xFFFF);
    AppendLe16(out, value >> 16);
}

QByteArray Framed(char id, std::size_t length)
{
    QByteArray packet;
    packet.reserve(static_cast<qsizetype>(kFramingHeaderSize + length));
    packet.append(kFrameByte);
    packet.append(id);
    AppendLe16(packet, length);
    return packet;
}

QByteArray WithPayload(char id, const QByteArray& payload, std::size_t limit)
{
    const auto size = static_cast<std::size_t>(payload.size());
    if (size == 0 || size > limit)
        return {};
    QByteArray packet = Framed(id, size);
    packet.append(payload);
    return packet;
}

}  // namespace

QByteArray HeaderPacket(const QByteArray& asfHeader)
{
    return WithPayload('H', asfHeader, kMaxHeaderSize);
}

QByteArray DataPacket(const QByteArray& asfPacket)
{
    return WithPayload('D', asfPacket, kMaxDataPacketSize);
}

QByteArray StreamChangePacket(const QByteArray& asfHeader)
{
    const auto size = static_cast<std::size_t>(asfHeader.size());
    if (size == 0 || size > kMaxStreamChangeHeader)
        return {};
    QByteArray packet = Framed('C', size + 4);
    AppendLe32(packet, 0);
    packet.append(asfHeader);
    return packet;
}

QByteArray EndOfStreamPacket(std::uint32_t reason)
{
    QByteArray packet = Framed('E', 4);
    AppendLe32(packet, reason);
    return packet;
}

QByteArray FillerPacket(std::size_t totalSize)
{
    if (totalSize < kFramingHeaderSize || totalSize > kFramingHeaderSize + kMaxHeaderSize)
        return {};
    QByteArray packet = Framed('F', totalSize - kFramingHeaderSize);
    packet.append(QByteArray(static_cast<qsizetype>(totalSize - kFramingHeaderSize), '\0'));
    return packet;
}

std::vector<QByteArray> FillerPackets(std::size_t totalSize)
{
    constexpr std::size_t kLargest = kFramingHeaderSize + kMaxHeaderSize;  // payloads stay within 65,531 bytes
    std::vector<QByteArray> packets;
    while (totalSize > 0) {
        std::size_t take = std::min(totalSize, kLargest);
        // Never leave a rest too small for a framing header of its own.
        if (totalSize - take > 0 && totalSize - take < kFramingHeaderSize)
            take -= kFramingHeaderSize;
        if (take < kFramingHeaderSize)
            break;  // 1 to 3 bytes cannot be filled
        packets.push_back(FillerPacket(take));
        totalSize -= take;
    }
    return packets;
}

bool PushBodyReader::Feed(const char* data, std::size_t size, std::vector<PushPacket>& out)
{
    if (Failed())
        return false;
    buffer_.append(data, size);
    while (TakePacket(out)) {
    }
    if (consumed_ > 0 && consumed_ >= buffer_.size() / 2) {
        buffer_.erase(0, consumed_);
        consumed_ = 0;
    }
    return !Failed();
}

bool PushBodyReader::TakePacket(std::vector<PushPacket>& out)
{
    if (Failed() || Pending() < kFramingHeaderSize)
        return false;
    const auto* p = reinterpret_cast<const std::uint8_t*>(buffer_.data()) + consumed_;
    if (p[0] != kFrameByte) {
        error_ = "a packet does not start with '$'";
        return false;
    }
    const char type = static_cast<char>(p[1]);
    const std::size_t length = asf::ReadLe16(p + 2);
    bool lengthOk = false;
    switch (type) {
    case 'H':
    case 'D':
        lengthOk = length > 0 && length <= kMaxHeaderSize;
        break;
    case 'C':
        lengthOk = length > 4 && length <= kMaxHeaderSize;
        break;
    case 'E':
        lengthOk = length == 4;
        break;
    case 'F':
        lengthOk = length <= kMaxHeaderSize;
        break;
    default:
        error_ = std::string("unknown packet type 0x") + "0123456789abcdef"[(p[1] >> 4) & 0xF] +
                 "0123456789abcdef"[p[1] & 0xF];
        return false;
    }
    if (!lengthOk) {
        error_ = std::string("a $") + type + " packet of " + std::to_string(length) + " bytes";
        return false;
    }
    if (Pending() < kFramingHeaderSize + length)
        return false;
    const char* payload = buffer_.data() + consumed_ + kFramingHeaderSize;
    PushPacket packet;
    packet.type = type;
    if (type == 'C' || type == 'E') {
        packet.reason = asf::ReadLe32(reinterpret_cast<const std::uint8_t*>(payload));
        packet.payload = QByteArray(payload + 4, static_cast<qsizetype>(length - 4));
    } else if (type != 'F') {
        packet.payload = QByteArray(payload, static_cast<qsizetype>(length));
    }
    consumed_ += kFramingHeaderSize + length;
    out.push_back(std::move(packet));
    return true;
}

}  // namespace wavetap::push
