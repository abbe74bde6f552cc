#include "wavetap/stream/asf_header_repair.h"

#include <map>

#include "wavetap/stream/asf_format.h"

namespace wavetap::asf {

namespace {

// File Properties Object.
constexpr std::size_t kCreationDateOffset = 48;
constexpr std::size_t kMaxBitrateOffset = 100;
// Header Extension Object: its objects follow a reserved id, a reserved word and their size.
constexpr std::size_t kExtensionDataOffset = 46;
// Extended Stream Properties Object.
constexpr std::size_t kDataBitrateOffset = 40;
constexpr std::size_t kAlternateBitrateOffset = 52;
constexpr std::size_t kExtendedStreamNumberOffset = 72;
constexpr std::size_t kExtendedStreamPropertiesMinSize = 88;
// Stream Bitrate Properties Object: a count, then (flags word, average bitrate) records.
constexpr std::size_t kBitrateRecordsOffset = 26;
constexpr std::size_t kBitrateRecordSize = 6;

// 100-ns units from 1601-01-01 to 1970-01-01.
constexpr std::uint64_t kUnixEpochInFileTime = 116444736000000000ULL;

// Calls visit(object, size) for each object in [begin, end); false when one does not fit.
template <typename Visit>
bool ForEachObject(std::uint8_t* begin, std::uint8_t* end, Visit visit)
{
    std::uint8_t* object = begin;
    while (end - object >= static_cast<std::ptrdiff_t>(kObjectPrologSize)) {
        const std::uint64_t size = ReadLe64(object + 16);
        if (size < kObjectPrologSize || size > static_cast<std::uint64_t>(end - object))
            return false;
        visit(object, static_cast<std::size_t>(size));
        object += size;
    }
    return object == end;
}

}  // namespace

std::uint64_t FileTime(std::chrono::system_clock::time_point time)
{
    const auto units = std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count() / 100;
    return kUnixEpochInFileTime + static_cast<std::uint64_t>(units);
}

bool RepairHeader(std::uint8_t* data, std::size_t size, const StreamBitrates& bitrates, std::uint64_t creationTime)
{
    if (size < kHeaderObjectFixedSize || !GuidAt(data, kHeaderObject))
        return false;
    const std::uint64_t headerSize = ReadLe64(data + 16);
    if (headerSize < kHeaderObjectFixedSize || headerSize > size)
        return false;
    std::uint8_t* const end = data + headerSize;

    // First look without changing anything, so a header that does not fit stays as it was.
    std::uint32_t objectCount = 0;
    std::uint8_t* fileProperties = nullptr;
    std::uint8_t* streamBitrates = nullptr;
    std::size_t streamBitratesSize = 0;
    std::uint8_t* extension = nullptr;
    std::size_t extensionSize = 0;
    std::map<unsigned, bool> streamIsVideo;
    const bool walked = ForEachObject(data + kHeaderObjectFixedSize, end, [&](std::uint8_t* object, std::size_t objectSize) {
        ++objectCount;
        if (GuidAt(object, kFilePropertiesObject) && objectSize >= kFilePropertiesMinSize) {
            fileProperties = object;
        } else if (GuidAt(object, kStreamPropertiesObject) && objectSize >= kStreamPropertiesMinSize) {
            streamIsVideo[ReadLe16(object + kStreamFlagsOffset) & 0x7F] = GuidAt(object + kStreamTypeOffset, kVideoMedia);
        } else if (GuidAt(object, kStreamBitratePropertiesObject) && objectSize >= kBitrateRecordsOffset) {
            streamBitrates = object;
            streamBitratesSize = objectSize;
        } else if (GuidAt(object, kHeaderExtensionObject) && objectSize >= kExtensionDataOffset &&
                   ReadLe32(object + kExtensionDataOffset - 4) == objectSize - kExtensionDataOffset) {
            extension = object;
            extensionSize = objectSize;
        }
    });
    if (!walked || !fileProperties)
        return false;
    if (extension && !ForEachObject(extension + kExtensionDataOffset, extension + extensionSize, [](std::uint8_t*, std::size_t) {}))
        extension = nullptr;

    const auto bitrateFor = [&](unsigned stream) {
        const auto found = streamIsVideo.find(stream);
        return found == streamIsVideo.end() ? 0u : found->second ? bitrates.video : bitrates.audio;
    };
    const auto fill = [](std::uint8_t* field, std::uint32_t value) {
        if (ReadLe32(field) == 0 && value != 0)
            WriteLe32(field, value);
        return ReadLe32(field);
    };
    // Each stream's bitrate, from the most specific place that has it.
    std::map<unsigned, std::uint32_t> streamBitrate;
    for (const auto& [stream, video] : streamIsVideo)
        streamBitrate[stream] = bitrateFor(stream);
    if (streamBitrates) {
        const std::size_t records = ReadLe16(streamBitrates + kObjectPrologSize);
        for (std::size_t i = 0; i < records && kBitrateRecordsOffset + (i + 1) * kBitrateRecordSize <= streamBitratesSize; ++i) {
            std::uint8_t* record = streamBitrates + kBitrateRecordsOffset + i * kBitrateRecordSize;
            const unsigned stream = ReadLe16(record) & 0x7F;
            streamBitrate[stream] = fill(record + 2, bitrateFor(stream));
        }
    }
    if (extension) {
        ForEachObject(extension + kExtensionDataOffset, extension + extensionSize, [&](std::uint8_t* object, std::size_t objectSize) {
            if (!GuidAt(object, kExtendedStreamPropertiesObject) || objectSize < kExtendedStreamPropertiesMinSize)
                return;
            const unsigned stream = ReadLe16(object + kExtendedStreamNumberOffset) & 0x7F;
            streamBitrate[stream] = fill(object + kDataBitrateOffset, bitrateFor(stream));
            fill(object + kAlternateBitrateOffset, streamBitrate[stream]);
        });
    }
    std::uint64_t total = 0;
    for (const auto& [stream, bitrate] : streamBitrate)
        total += bitrate;
    if (total > ReadLe32(fileProperties + kMaxBitrateOffset))
        WriteLe32(fileProperties + kMaxBitrateOffset, static_cast<std::uint32_t>(std::min<std::uint64_t>(total, UINT32_MAX)));
    WriteLe64(fileProperties + kCreationDateOffset, creationTime);
    WriteLe32(data + kObjectCountOffset, objectCount);
    return true;
}

}  // namespace wavetap::asf
