#include "wavetap/stream/asf_packet_padding.h"

#include <cstddef>

#include "wavetap/stream/asf_format.h"

namespace wavetap::asf {

namespace {

constexpr std::uint8_t kErrorCorrectionPresent = 0x80;
constexpr std::size_t kFieldWidths[4] = {0, 1, 2, 4};
constexpr unsigned kWordType = 2;

// Where the payload parsing information's fields sit in one packet.
struct ParsingInfo {
    std::size_t flagsAt = 0;  // the length type flags byte (after any error correction data)
    unsigned packetLengthType = 0;
    unsigned paddingType = 0;
    std::size_t packetLengthAt = 0;
    std::size_t paddingAt = 0;
    std::size_t end = 0;  // first byte after Send Time and Duration
    std::uint32_t padding = 0;
};

std::uint32_t ReadField(const std::uint8_t* p, std::size_t width)
{
    return width == 0 ? 0 : width == 1 ? p[0] : width == 2 ? ReadLe16(p) : ReadLe32(p);
}

void WriteField(char* p, std::size_t width, std::uint32_t value)
{
    for (std::size_t i = 0; i < width; ++i)
        p[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

bool Fits(std::uint32_t value, unsigned type)
{
    const std::size_t width = kFieldWidths[type];
    return width == 4 || (width > 0 && value < (1u << (8 * width)));
}

std::optional<ParsingInfo> Read(const QByteArray& packet)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(packet.constData());
    const auto size = static_cast<std::size_t>(packet.size());
    ParsingInfo info;
    if (size < 1)
        return std::nullopt;
    if (data[0] & kErrorCorrectionPresent) {
        // Error correction flags: the data length in the low nibble, its length type must be 0.
        if (((data[0] >> 5) & 3) != 0)
            return std::nullopt;
        info.flagsAt = 1 + (data[0] & 0x0F);
    }
    if (info.flagsAt + 2 > size)
        return std::nullopt;
    const std::uint8_t flags = data[info.flagsAt];
    const unsigned sequenceType = (flags >> 1) & 3;
    info.paddingType = (flags >> 3) & 3;
    info.packetLengthType = (flags >> 5) & 3;
    info.packetLengthAt = info.flagsAt + 2;  // after the property flags byte
    const std::size_t sequenceAt = info.packetLengthAt + kFieldWidths[info.packetLengthType];
    info.paddingAt = sequenceAt + kFieldWidths[sequenceType];
    info.end = info.paddingAt + kFieldWidths[info.paddingType] + 6;  // Send Time (4), Duration (2)
    if (info.end > size)
        return std::nullopt;
    info.padding = ReadField(data + info.paddingAt, kFieldWidths[info.paddingType]);
    if (info.padding > size - info.end)
        return std::nullopt;
    return info;
}

}  // namespace

std::optional<QByteArray> StripPadding(const QByteArray& packet)
{
    const std::optional<ParsingInfo> info = Read(packet);
    if (!info)
        return std::nullopt;
    if (info->padding == 0)
        return packet;
    QByteArray stripped = packet.left(packet.size() - static_cast<qsizetype>(info->padding));
    WriteField(stripped.data() + info->paddingAt, kFieldWidths[info->paddingType], 0);
    WriteField(stripped.data() + info->packetLengthAt, kFieldWidths[info->packetLengthType],
               static_cast<std::uint32_t>(stripped.size()));
    return stripped;
}

std::optional<QByteArray> RestorePadding(const QByteArray& packet, std::uint32_t packetSize)
{
    const std::optional<ParsingInfo> info = Read(packet);
    if (!info || static_cast<std::size_t>(packet.size()) > packetSize)
        return std::nullopt;
    const auto missing = static_cast<std::uint32_t>(packetSize - static_cast<std::uint32_t>(packet.size()));
    if (missing == 0)
        return packet;
    // Packet Length is left as it is: writers count the padding in it or not, and readers
    // take the padding from Padding Length either way.
    const std::uint32_t padding = info->padding + missing;
    if (Fits(padding, info->paddingType)) {
        QByteArray padded = packet;
        padded.append(QByteArray(static_cast<qsizetype>(missing), '\0'));
        WriteField(padded.data() + info->paddingAt, kFieldWidths[info->paddingType], padding);
        return padded;
    }
    // Rebuild the fields with a word-sized Padding Length; a Packet Length grows with them.
    const std::size_t added = kFieldWidths[kWordType] - kFieldWidths[info->paddingType];
    const std::size_t grown = static_cast<std::size_t>(packet.size()) + added;
    if (grown > packetSize || packetSize - grown + info->padding > 0xFFFF)
        return std::nullopt;
    const auto newPadding = static_cast<std::uint32_t>(packetSize - grown + info->padding);
    const char* old = packet.constData();
    std::uint32_t length = ReadField(reinterpret_cast<const std::uint8_t*>(old) + info->packetLengthAt,
                                     kFieldWidths[info->packetLengthType]);
    unsigned lengthType = info->packetLengthType;
    if (lengthType != 0) {
        length += static_cast<std::uint32_t>(added);
        if (!Fits(length, lengthType))
            return std::nullopt;
    }
    QByteArray rebuilt(old, static_cast<qsizetype>(info->flagsAt));
    const auto flags = static_cast<std::uint8_t>((static_cast<std::uint8_t>(old[info->flagsAt]) & ~0x18) | (kWordType << 3));
    rebuilt.append(static_cast<char>(flags));
    rebuilt.append(old[info->flagsAt + 1]);  // property flags
    QByteArray field(4, '\0');
    WriteField(field.data(), kFieldWidths[lengthType], length);
    rebuilt.append(field.constData(), static_cast<qsizetype>(kFieldWidths[lengthType]));
    const std::size_t sequenceAt = info->packetLengthAt + kFieldWidths[info->packetLengthType];
    rebuilt.append(old + sequenceAt, static_cast<qsizetype>(info->paddingAt - sequenceAt));
    WriteField(field.data(), kFieldWidths[kWordType], newPadding);
    rebuilt.append(field.constData(), static_cast<qsizetype>(kFieldWidths[kWordType]));
    const std::size_t sendTimeAt = info->paddingAt + kFieldWidths[info->paddingType];
    rebuilt.append(old + sendTimeAt, packet.size() - static_cast<qsizetype>(sendTimeAt));
    rebuilt.append(QByteArray(static_cast<qsizetype>(packetSize) - rebuilt.size(), '\0'));
    return rebuilt;
}

std::optional<QByteArray> WithFullPacketLength(const QByteArray& packet)
{
    const std::optional<ParsingInfo> info = Read(packet);
    if (!info)
        return std::nullopt;
    const auto size = static_cast<std::uint32_t>(packet.size());
    if (info->packetLengthType == 0)
        return packet;
    if (!Fits(size, info->packetLengthType))
        return std::nullopt;
    QByteArray fixed = packet;
    WriteField(fixed.data() + info->packetLengthAt, kFieldWidths[info->packetLengthType], size);
    return fixed;
}

}  // namespace wavetap::asf
