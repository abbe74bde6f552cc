#include "drm/asf_file_transform.h"

#include "drm/asf_header_rewrite.h"
#include "drm/asf_payload_cipher.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <functional>

namespace drm::asf {

namespace {

using HeaderRewrite = std::function<HRESULT(const QByteArray& block, QByteArray* out)>;

// Packets are read and written this many at a time.
constexpr qint64 kPacketsPerChunk = 256;

HRESULT OpenInput(QFile& file) {
    if (!QFileInfo::exists(file.fileName())) return E_FILE_NOT_FOUND;
    return file.open(QIODevice::ReadOnly) ? S_OK : E_ACCESSDENIED;
}

// Reads the header block at the start of the file.
HRESULT ReadHeaderBlock(QFile& in, QByteArray* block) {
    const QByteArray prolog = in.read(wavetap::asf::kObjectPrologSize);
    std::uint64_t blockSize = 0;
    if (HRESULT hr = HeaderBlockSize(reinterpret_cast<const std::uint8_t*>(prolog.constData()),
                                     static_cast<std::size_t>(prolog.size()), &blockSize);
        Failed(hr))
        return hr;
    if (static_cast<qint64>(blockSize) > in.size()) return NS_E_DRM_ASF_TRUNCATED;
    *block = prolog + in.read(static_cast<qint64>(blockSize) - prolog.size());
    return block->size() == static_cast<qsizetype>(blockSize) ? S_OK : NS_E_DRM_ASF_TRUNCATED;
}

HRESULT Transform(const QString& input, const QString& output, const HeaderRewrite& rewrite, PayloadCipher& cipher) {
    if (!cipher.Valid()) return NS_E_DRM_INVALID_KEY;
    QFile in(input);
    if (HRESULT hr = OpenInput(in); Failed(hr)) return hr;
    QByteArray block;
    if (HRESULT hr = ReadHeaderBlock(in, &block); Failed(hr)) return hr;
    AsfLayout layout;
    if (HRESULT hr = ReadLayout(block, &layout); Failed(hr)) return hr;

    // The packets: as the Data Object declares them, or, when the sizes are open (a saved
    // live stream: the broadcast flag makes them meaningless), every whole packet to the
    // end of the file.
    const qint64 dataStart = static_cast<qint64>(layout.BlockSize());
    const qint64 packetSize = layout.packetSize;
    qint64 packets = 0;
    qint64 trailerStart = in.size();
    if (!layout.broadcast && layout.dataObjectSize >= wavetap::asf::kDataObjectFixedSize) {
        const std::uint64_t packetBytes = layout.dataObjectSize - wavetap::asf::kDataObjectFixedSize;
        if (packetBytes > static_cast<std::uint64_t>(in.size() - dataStart)) return NS_E_DRM_ASF_TRUNCATED;
        if (packetBytes % layout.packetSize != 0) return NS_E_DRM_ASF_BAD_PACKET;
        packets = static_cast<qint64>(packetBytes / layout.packetSize);
        trailerStart = dataStart + static_cast<qint64>(packetBytes);
    } else {
        packets = (in.size() - dataStart) / packetSize;
        trailerStart = dataStart + packets * packetSize;
        if (!layout.broadcast && trailerStart != in.size()) return NS_E_DRM_ASF_TRUNCATED;
    }
    if (packets == 0) return NS_E_DRM_ASF_NO_PACKETS;

    QByteArray header;
    if (HRESULT hr = rewrite(block, &header); Failed(hr)) return hr;

    QSaveFile out(output);
    if (!out.open(QIODevice::WriteOnly)) return E_ACCESSDENIED;
    if (out.write(header) != header.size()) return E_WRITE_FAULT;
    QByteArray chunk;
    for (qint64 done = 0; done < packets;) {
        const qint64 count = std::min(kPacketsPerChunk, packets - done);
        chunk = in.read(count * packetSize);
        if (chunk.size() != count * packetSize) return NS_E_DRM_ASF_TRUNCATED;
        auto* bytes = reinterpret_cast<std::uint8_t*>(chunk.data());
        for (qint64 i = 0; i < count; ++i)
            if (!cipher.CryptPacket(bytes + i * packetSize, static_cast<std::size_t>(packetSize)))
                return NS_E_DRM_ASF_BAD_PACKET;
        if (out.write(chunk) != chunk.size()) return E_WRITE_FAULT;
        done += count;
    }
    // What follows the Data Object (the index objects) stays as it was.
    in.seek(trailerStart);
    while (!in.atEnd()) {
        chunk = in.read(1 << 20);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size()) return E_WRITE_FAULT;
    }
    return out.commit() ? S_OK : E_WRITE_FAULT;
}

}  // namespace

HRESULT ProtectFile(const QString& input, const QString& output, const ContentProtection& protection) {
    const ProtectionMarks marks = MarksFor(protection);
    PayloadCipher cipher(protection.contentKey);
    return Transform(
        input, output, [&marks](const QByteArray& block, QByteArray* out) { return ProtectHeader(block, marks, out); },
        cipher);
}

HRESULT DecryptFile(const QString& input, const QString& output, const QByteArray& contentKey) {
    PayloadCipher cipher(contentKey);
    return Transform(
        input, output,
        [](const QByteArray& block, QByteArray* out) {
            ProtectionMarks marks;
            return UnprotectHeader(block, out, &marks);
        },
        cipher);
}

HRESULT ReadFileMarks(const QString& path, ProtectionMarks* marks) {
    QFile in(path);
    if (HRESULT hr = OpenInput(in); Failed(hr)) return hr;
    QByteArray block;
    if (HRESULT hr = ReadHeaderBlock(in, &block); Failed(hr)) return hr;
    return ReadMarks(block, marks);
}

}  // namespace drm::asf
