#include "drm/asf_protecting_writer.h"

#include "drm/asf_header_rewrite.h"

#include <algorithm>
#include <cstring>

namespace drm::asf {

namespace {

using wavetap::asf::GuidAt;
using wavetap::asf::kObjectPrologSize;

bool StartsIndex(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    return bytes.size() >= 16 && (GuidAt(p, kSimpleIndexObject) || GuidAt(p, kIndexObject));
}

}  // namespace

AsfProtectingWriter::AsfProtectingWriter(const ContentProtection& protection)
    : marks_(MarksFor(protection)), cipher_(protection.contentKey) {}

bool AsfProtectingWriter::Open(const QString& path) {
    file_.setFileName(path);
    if (!cipher_.Valid()) return Fail("no content key");
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) return Fail("cannot write " + path);
    return true;
}

bool AsfProtectingWriter::Fail(const QString& why) {
    if (!failed_) error_ = why;
    failed_ = true;
    return false;
}

bool AsfProtectingWriter::WriteAt(std::uint64_t offset, const QByteArray& bytes) {
    if (!file_.seek(static_cast<qint64>(offset)) || file_.write(bytes) != bytes.size())
        return Fail("cannot write " + file_.fileName());
    return true;
}

bool AsfProtectingWriter::Write(std::uint64_t offset, const char* data, std::size_t size) {
    if (failed_) return false;
    // The part inside the header block.
    if (blockSize_ == 0 || offset < blockSize_) {
        const std::size_t headerPart =
            blockSize_ == 0 ? size : static_cast<std::size_t>(std::min<std::uint64_t>(size, blockSize_ - offset));
        if (!WriteHeaderBytes(offset, data, headerPart)) return false;
        offset += headerPart;
        data += headerPart;
        size -= headerPart;
        if (size == 0) return true;
        if (blockSize_ == 0 || headerReceived_ < blockSize_) return Fail("packets before the whole header");
    }
    if (trailer_) return WriteAt(offset + static_cast<std::uint64_t>(shift_), QByteArray(data, static_cast<qsizetype>(size)));
    if (offset != pendingOffset_ + static_cast<std::uint64_t>(pending_.size()))
        return Fail("the muxer wrote the packets out of order");
    pending_.append(data, static_cast<qsizetype>(size));
    return TakePackets();
}

bool AsfProtectingWriter::WriteHeaderBytes(std::uint64_t offset, const char* data, std::size_t size) {
    if (blockSize_ == 0) {
        // Until the header's size is known its bytes can only come in order.
        if (offset != static_cast<std::uint64_t>(header_.size())) return Fail("the header was not written first");
        header_.append(data, static_cast<qsizetype>(size));
        if (header_.size() < static_cast<qsizetype>(kObjectPrologSize)) return true;
        if (Failed(HeaderBlockSize(reinterpret_cast<const std::uint8_t*>(header_.constData()), kObjectPrologSize,
                                   &blockSize_))) {
            blockSize_ = 0;
            return Fail("the muxer's output is not ASF");
        }
        // Bytes past the header block belong to the packets.
        const QByteArray beyond = header_.size() > static_cast<qsizetype>(blockSize_)
                                      ? header_.mid(static_cast<qsizetype>(blockSize_))
                                      : QByteArray();
        header_.truncate(static_cast<qsizetype>(std::min<std::uint64_t>(blockSize_, header_.size())));
        headerReceived_ = static_cast<std::uint64_t>(header_.size());
        pendingOffset_ = blockSize_;
        if (headerReceived_ == blockSize_ && !WriteProtectedHeader()) return false;
        if (!beyond.isEmpty()) return Write(blockSize_, beyond.constData(), static_cast<std::size_t>(beyond.size()));
        return true;
    }
    // The header block known: take the bytes at their place (a later update included).
    header_.resize(static_cast<qsizetype>(blockSize_));
    std::memcpy(header_.data() + offset, data, size);
    if (offset <= headerReceived_) headerReceived_ = std::max<std::uint64_t>(headerReceived_, offset + size);
    return headerReceived_ < blockSize_ || WriteProtectedHeader();
}

bool AsfProtectingWriter::WriteProtectedHeader() {
    QByteArray protectedBlock;
    if (Failed(ProtectHeader(header_, marks_, &protectedBlock))) return Fail("the muxer's header cannot be protected");
    if (protectedSize_ == 0) {
        AsfLayout layout;
        ReadLayout(header_, &layout);
        packetSize_ = layout.packetSize;
        protectedSize_ = protectedBlock.size();
        shift_ = protectedBlock.size() - header_.size();
    } else if (protectedBlock.size() != protectedSize_) {
        return Fail("the muxer changed the size of its header");
    }
    return WriteAt(0, protectedBlock);
}

bool AsfProtectingWriter::TakePackets() {
    while (!trailer_) {
        if (StartsIndex(pending_)) {
            trailer_ = true;
            const QByteArray rest = pending_;
            pending_.clear();
            return WriteAt(pendingOffset_ + static_cast<std::uint64_t>(shift_), rest);
        }
        if (pending_.size() < static_cast<qsizetype>(packetSize_)) return true;
        QByteArray packet = pending_.left(packetSize_);
        if (!cipher_.CryptPacket(reinterpret_cast<std::uint8_t*>(packet.data()), packetSize_))
            return Fail("a packet of the muxer does not parse");
        if (!WriteAt(pendingOffset_ + static_cast<std::uint64_t>(shift_), packet)) return false;
        pending_.remove(0, packetSize_);
        pendingOffset_ += packetSize_;
    }
    return true;
}

bool AsfProtectingWriter::Close() {
    if (!failed_ && !pending_.isEmpty()) Fail("the muxer stopped in the middle of a packet");
    if (!failed_ && headerReceived_ < blockSize_) Fail("the muxer stopped in the middle of its header");
    if (file_.isOpen()) file_.close();
    return !failed_;
}

}  // namespace drm::asf
