#include "platform/logo_file.h"

#include "platform/paths.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <cstdlib>

namespace platform {
namespace {

constexpr int kLogoHeaderSize = 20;
constexpr int kBmpFileHeaderSize = 14;
constexpr quint32 kInfoHeaderSize = 40;
constexpr quint32 kCoreHeaderSize = 12;
constexpr quint32 kLargestInfoHeader = 124;  // the fifth version of the header
constexpr qint64 kLargestFile = 16 * 1024 * 1024;

const uchar* Bytes(const QByteArray& data) { return reinterpret_cast<const uchar*>(data.constData()); }

// A field at `at`; 0 past the end (callers check sizes first, this keeps every read inside).
// GCC 12 with the sanitizers loses the bound checked here and takes an empty array's shared
// one-byte buffer for the data (-Warray-bounds), so the warning is off for this one read.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
template <typename T>
T Read(const QByteArray& data, qsizetype at) {
    if (at < 0 || data.size() - at < static_cast<qsizetype>(sizeof(T))) return 0;
    return qFromLittleEndian<T>(Bytes(data) + at);
}
#pragma GCC diagnostic pop

bool IsRunLength(quint32 compression) { return compression == 1 || compression == 2; }

std::optional<QByteArray> ReadWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray data = file.read(kLargestFile + 1);
    if (data.size() > kLargestFile) return std::nullopt;
    return data;
}

}  // namespace

QString LogoFilePath() { return GetUserConfigFolder() + QStringLiteral("vek.dat"); }

std::optional<BitmapInfo> ParseBitmapInfo(const QByteArray& block) {
    if (block.size() < 4) return std::nullopt;
    BitmapInfo info;
    info.headerSize = Read<quint32>(block, 0);
    if (info.headerSize == kCoreHeaderSize) {
        if (block.size() < static_cast<qsizetype>(kCoreHeaderSize)) return std::nullopt;
        info.width = Read<quint16>(block, 4);
        info.height = Read<quint16>(block, 6);
        info.bitCount = Read<quint16>(block, 10);
        return info;
    }
    if (info.headerSize < kInfoHeaderSize || info.headerSize > kLargestInfoHeader ||
        block.size() < static_cast<qsizetype>(info.headerSize))
        return std::nullopt;
    info.width = Read<qint32>(block, 4);
    info.height = Read<qint32>(block, 8);
    info.bitCount = Read<quint16>(block, 14);
    info.compression = Read<quint32>(block, 16);
    info.imageSize = Read<quint32>(block, 20);
    info.colorsUsed = Read<quint32>(block, 32);
    return info;
}

qint64 BitmapPixelBytes(const BitmapInfo& info) {
    if (IsRunLength(info.compression)) return info.imageSize;
    if (info.width <= 0 || info.height == 0 || info.bitCount == 0 || info.bitCount > 32) return -1;
    const qint64 rowBytes = (qint64{info.bitCount} * info.width + 31) / 32 * 4;
    const qint64 rows = std::llabs(qint64{info.height});
    if (rowBytes > kLargestFile || rows > kLargestFile || rowBytes * rows > kLargestFile) return -1;
    return rowBytes * rows;
}

QByteArray BmpFileFromBits(const QByteArray& bits, quint32 pixelOffset) {
    QByteArray header(kBmpFileHeaderSize, '\0');
    auto* h = reinterpret_cast<uchar*>(header.data());
    h[0] = 'B';
    h[1] = 'M';
    qToLittleEndian<quint32>(static_cast<quint32>(kBmpFileHeaderSize + bits.size()), h + 2);
    qToLittleEndian<quint32>(kBmpFileHeaderSize + pixelOffset, h + 10);
    return header + bits;
}

std::optional<QByteArray> ParseBmpFile(const QByteArray& file) {
    if (file.size() < kBmpFileHeaderSize || !file.startsWith("BM")) return std::nullopt;
    // The whole rest the header announces must be there.
    const quint32 fileSize = Read<quint32>(file, 2);
    if (fileSize < kBmpFileHeaderSize || fileSize > static_cast<quint64>(file.size())) return std::nullopt;
    const QByteArray rest = file.mid(kBmpFileHeaderSize, fileSize - kBmpFileHeaderSize);
    const auto info = ParseBitmapInfo(rest);
    if (!info) return std::nullopt;
    const quint32 pixelOffset = Read<quint32>(file, 10);
    if (pixelOffset < kBmpFileHeaderSize + info->headerSize || pixelOffset > fileSize) return std::nullopt;
    return rest.left(info->headerSize) + rest.mid(pixelOffset - kBmpFileHeaderSize);
}

std::optional<QByteArray> ReadBmpFile(const QString& path) {
    const auto data = ReadWhole(path);
    if (!data) return std::nullopt;
    return ParseBmpFile(*data);
}

QByteArray WithCommonInfoHeader(const QByteArray& bits) {
    const auto info = ParseBitmapInfo(bits);
    if (!info || info->headerSize <= kInfoHeaderSize || info->compression != 0) return bits;
    QByteArray common = bits.left(kInfoHeaderSize);
    qToLittleEndian<quint32>(kInfoHeaderSize, reinterpret_cast<uchar*>(common.data()));
    return common + bits.mid(info->headerSize);
}

std::optional<LogoFile> ParseLogoFile(const QByteArray& data) {
    if (data.size() < kLogoHeaderSize || !data.startsWith("BM")) return std::nullopt;
    LogoFile logo;
    logo.left = Read<quint16>(data, 2);
    logo.top = Read<quint16>(data, 4);
    logo.bits = data.mid(kLogoHeaderSize);
    return logo;
}

std::optional<LogoFile> ReadLogoFile(const QString& path) {
    const auto data = ReadWhole(path);
    if (!data) return std::nullopt;
    return ParseLogoFile(*data);
}

std::optional<QByteArray> EncodeLogoFile(int left, int top, const QByteArray& bits) {
    if (left < 0 || left > 0xFFFF || top < 0 || top > 0xFFFF) return std::nullopt;
    const auto info = ParseBitmapInfo(bits);
    if (!info || info->headerSize != kInfoHeaderSize) return std::nullopt;
    const qint64 pixelBytes = BitmapPixelBytes(*info);
    if (pixelBytes < 0 || bits.size() - qint64{kInfoHeaderSize} < pixelBytes) return std::nullopt;

    QByteArray header(kLogoHeaderSize, '\0');
    auto* h = reinterpret_cast<uchar*>(header.data());
    h[0] = 'B';
    h[1] = 'M';
    qToLittleEndian<quint16>(static_cast<quint16>(left), h + 2);
    qToLittleEndian<quint16>(static_cast<quint16>(top), h + 4);
    qToLittleEndian<quint32>(static_cast<quint32>(kLogoHeaderSize + kInfoHeaderSize + pixelBytes), h + 8);
    qToLittleEndian<quint32>(kLogoHeaderSize + kInfoHeaderSize, h + 16);

    QByteArray infoHeader = bits.left(kInfoHeaderSize);
    if (!IsRunLength(info->compression))
        qToLittleEndian<quint32>(static_cast<quint32>(pixelBytes), reinterpret_cast<uchar*>(infoHeader.data()) + 20);
    return header + infoHeader + bits.mid(kInfoHeaderSize, pixelBytes);
}

bool WriteLogoFile(const QString& path, int left, int top, const QByteArray& bits) {
    const auto encoded = EncodeLogoFile(left, top, bits);
    if (!encoded) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(*encoded) != encoded->size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<LogoImage> LogoImageFromFile(const QByteArray& data) {
    const auto logo = ParseLogoFile(data);
    if (!logo) return std::nullopt;
    const auto info = ParseBitmapInfo(logo->bits);
    if (!info || info->headerSize != kInfoHeaderSize) return std::nullopt;
    const quint32 pixelOffset = Read<quint32>(data, 16);
    const qint64 pixelBytes = BitmapPixelBytes(*info);
    if (pixelOffset < kLogoHeaderSize + kInfoHeaderSize || pixelOffset > static_cast<quint64>(data.size()) ||
        pixelBytes < 0 || data.size() - qint64{pixelOffset} < pixelBytes)
        return std::nullopt;
    // A .bmp file is the same picture behind a 14-byte file header instead of our 20 bytes.
    LogoImage image;
    image.left = logo->left;
    image.top = logo->top;
    image.bmpFile = BmpFileFromBits(logo->bits, pixelOffset - kLogoHeaderSize);
    return image;
}

std::optional<LogoImage> ReadLogoImage(const QString& path) {
    const auto data = ReadWhole(path);
    if (!data) return std::nullopt;
    return LogoImageFromFile(*data);
}

}  // namespace platform
