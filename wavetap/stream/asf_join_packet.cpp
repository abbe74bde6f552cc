#include "wavetap/stream/asf_join_packet.h"

#include <algorithm>

#include "wavetap/stream/asf_packet_padding.h"
#include "wavetap/stream/asf_packet_scan.h"

namespace wavetap::asf {

namespace {

constexpr char kPayloadLengthTypeBits = static_cast<char>(0xC0);

}  // namespace

std::optional<QByteArray> JoinPacket(const QByteArray& packet, const HeaderInfo& header)
{
    // Without its padding the payloads end the packet; the padding is put back at the end.
    const std::optional<QByteArray> stripped = StripPadding(packet);
    if (!stripped)
        return std::nullopt;
    PacketLayout layout;
    const auto* data = reinterpret_cast<const std::uint8_t*>(stripped->constData());
    const auto info = ScanPacket(data, static_cast<std::size_t>(stripped->size()), header, &layout);
    if (!info || !info->startsVideoKeyFrame || layout.payloadFlagsAt == 0)
        return std::nullopt;
    const auto key = std::find_if(layout.payloads.begin(), layout.payloads.end(),
                                  [](const PayloadSpan& span) { return span.videoKeyFrameStart; });
    if (std::none_of(layout.payloads.begin(), key, [](const PayloadSpan& span) { return span.video; }))
        return std::nullopt;

    QByteArray joined = stripped->left(static_cast<qsizetype>(layout.payloadFlagsAt + 1));
    int kept = 0;
    for (auto it = layout.payloads.begin(); it != layout.payloads.end(); ++it) {
        if (it < key && it->video)
            continue;
        joined.append(stripped->constData() + it->begin, static_cast<qsizetype>(it->end - it->begin));
        ++kept;
    }
    char& payloadFlags = joined[static_cast<qsizetype>(layout.payloadFlagsAt)];
    payloadFlags = static_cast<char>((payloadFlags & kPayloadLengthTypeBits) | kept);
    const std::optional<QByteArray> padded = RestorePadding(joined, static_cast<std::uint32_t>(packet.size()));
    return padded ? WithFullPacketLength(*padded) : std::nullopt;
}

}  // namespace wavetap::asf
