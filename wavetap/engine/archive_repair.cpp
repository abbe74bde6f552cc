#include "engine/archive_repair.h"

#include "wavetap/stream/asf_format.h"
#include "wavetap/stream/asf_header_info.h"
#include "wavetap/stream/asf_packet_padding.h"

#include <QFile>

#include <algorithm>

namespace wavetap::engine {

namespace {

// Headers past this size are not a muxer's (it writes a few kilobytes).
constexpr std::uint64_t kMaxHeaderSize = 4u << 20;

bool ReadAt(QFile& file, qint64 offset, qint64 size, QByteArray* out) {
    if (!file.seek(offset)) return false;
    *out = file.read(size);
    return out->size() == size;
}

bool WriteAt(QFile& file, qint64 offset, const QByteArray& bytes) {
    return file.seek(offset) && file.write(bytes) == bytes.size();
}

}  // namespace

asf::StreamBitrates ProfileBitrates(const Profile& profile) {
    asf::StreamBitrates bitrates;
    bitrates.video = static_cast<std::uint32_t>(std::max(profile.videoBitrate, 0));
    bitrates.audio = static_cast<std::uint32_t>(std::max(profile.audioBitrate, 0));
    return bitrates;
}

bool RepairArchive(const QString& path, const asf::StreamBitrates& bitrates, std::uint64_t creationTime) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) return false;
    QByteArray prolog;
    if (!ReadAt(file, 0, asf::kObjectPrologSize, &prolog)) return false;
    const auto* prologBytes = reinterpret_cast<const std::uint8_t*>(prolog.constData());
    const std::uint64_t headerSize = asf::ReadLe64(prologBytes + 16);
    if (!asf::GuidAt(prologBytes, asf::kHeaderObject) || headerSize > kMaxHeaderSize) return false;

    QByteArray block;
    const auto blockSize = static_cast<qint64>(headerSize + asf::kDataObjectFixedSize);
    if (!ReadAt(file, 0, blockSize, &block)) return false;
    auto* blockBytes = reinterpret_cast<std::uint8_t*>(block.data());
    const std::optional<asf::HeaderInfo> info = asf::ParseHeader(blockBytes, static_cast<std::size_t>(block.size()));
    if (!info || !asf::RepairHeader(blockBytes, static_cast<std::size_t>(block.size()), bitrates, creationTime))
        return false;
    if (!WriteAt(file, 0, block)) return false;

    // Only the last packet is cut short: the muxer sends every other one when it is full.
    const std::uint64_t packets = info->dataPacketCount;
    if (packets == 0) return true;
    const auto lastAt = static_cast<qint64>(headerSize + asf::kDataObjectFixedSize + (packets - 1) * info->packetSize);
    QByteArray last;
    if (!ReadAt(file, lastAt, info->packetSize, &last)) return false;
    const std::optional<QByteArray> repaired = asf::WithFullPacketLength(last);
    if (!repaired) return false;
    return *repaired == last || WriteAt(file, lastAt, *repaired);
}

}  // namespace wavetap::engine
