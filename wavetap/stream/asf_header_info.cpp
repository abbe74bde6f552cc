#include "wavetap/stream/asf_header_info.h"

#include "wavetap/stream/asf_format.h"

namespace wavetap::asf {

namespace {

// Offset of Total Data Packets inside the Data Object.
constexpr std::size_t kTotalPacketsOffset = 40;

}  // namespace

std::optional<HeaderInfo> ParseHeader(const std::uint8_t* data, std::size_t size)
{
    if (size < kHeaderObjectFixedSize + kDataObjectFixedSize || !GuidAt(data, kHeaderObject))
        return std::nullopt;
    const std::uint64_t headerSize = ReadLe64(data + 16);
    if (headerSize < kHeaderObjectFixedSize || headerSize + kDataObjectFixedSize != size)
        return std::nullopt;
    const std::uint8_t* dataObject = data + headerSize;
    if (!GuidAt(dataObject, kDataObject))
        return std::nullopt;

    HeaderInfo info;
    bool havePacketSize = false;
    std::size_t pos = kHeaderObjectFixedSize;
    while (headerSize - pos >= kObjectPrologSize) {
        const std::uint8_t* object = data + pos;
        const std::uint64_t objectSize = ReadLe64(object + 16);
        if (objectSize < kObjectPrologSize || objectSize > headerSize - pos)
            return std::nullopt;
        if (GuidAt(object, kFilePropertiesObject) && objectSize >= kFilePropertiesMinSize) {
            const std::uint32_t minSize = ReadLe32(object + kMinPacketSizeOffset);
            const std::uint32_t maxSize = ReadLe32(object + kMaxPacketSizeOffset);
            if (minSize != maxSize || minSize == 0 || minSize > kMaxPacketSize)
                return std::nullopt;
            info.packetSize = minSize;
            havePacketSize = true;
        } else if (GuidAt(object, kStreamPropertiesObject) && objectSize >= kStreamPropertiesMinSize) {
            const unsigned streamNumber = ReadLe16(object + kStreamFlagsOffset) & 0x7F;
            if (GuidAt(object + kStreamTypeOffset, kVideoMedia))
                info.videoStreams.set(streamNumber);
            ++info.streamCount;
        }
        pos += static_cast<std::size_t>(objectSize);
    }
    if (!havePacketSize)
        return std::nullopt;

    const std::uint64_t dataObjectSize = ReadLe64(dataObject + 16);
    const std::uint64_t totalPackets = ReadLe64(dataObject + kTotalPacketsOffset);
    // A live writer leaves the counts at zero or fills in placeholders; trust them only
    // when they agree with each other.
    if (totalPackets != 0 && totalPackets < (UINT64_MAX - kDataObjectFixedSize) / info.packetSize &&
        dataObjectSize == kDataObjectFixedSize + totalPackets * info.packetSize)
        info.dataPacketCount = totalPackets;
    return info;
}

}  // namespace wavetap::asf
