#include "engine/logo_file.h"

#include "platform/paths.h"

#include <QFile>
#include <QtEndian>

namespace wavetap::engine {
namespace {

constexpr int kLogoHeaderSize = 20;
constexpr int kBmpFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

}  // namespace

QString LogoFilePath() { return platform::GetUserConfigFolder() + "vek.dat"; }

std::optional<LogoImage> ReadLogoFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray data = file.read(16 * 1024 * 1024);
    if (data.size() < kLogoHeaderSize + kInfoHeaderSize || !data.startsWith("BM")) return std::nullopt;
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    LogoImage logo;
    logo.left = qFromLittleEndian<quint16>(bytes + 2);
    logo.top = qFromLittleEndian<quint16>(bytes + 4);
    const quint32 pixelOffset = qFromLittleEndian<quint32>(bytes + 16);
    const quint32 infoSize = qFromLittleEndian<quint32>(bytes + kLogoHeaderSize);
    if (infoSize != kInfoHeaderSize || pixelOffset < kLogoHeaderSize + infoSize ||
        pixelOffset > static_cast<quint32>(data.size()))
        return std::nullopt;
    // A .bmp file is the same picture behind a 14-byte file header instead of our 20 bytes.
    const QByteArray rest = data.mid(kLogoHeaderSize);
    QByteArray header(kBmpFileHeaderSize, '\0');
    auto* h = reinterpret_cast<uchar*>(header.data());
    h[0] = 'B';
    h[1] = 'M';
    qToLittleEndian<quint32>(static_cast<quint32>(kBmpFileHeaderSize + rest.size()), h + 2);
    qToLittleEndian<quint32>(pixelOffset - kLogoHeaderSize + kBmpFileHeaderSize, h + 10);
    logo.bmpFile = header + rest;
    return logo;
}

}  // namespace wavetap::engine
