#pragma once
// The logo file the operator saves ("vek.dat" in the user's config folder): a 20-byte
// header with the left and top offsets, then a Windows bitmap's information header and
// pixel rows.

#include <QString>

#include <optional>

namespace wavetap::engine {

struct LogoImage {
    int left = 0;
    int top = 0;
    // The picture as a complete .bmp file, for image loaders.
    QByteArray bmpFile;
};

QString LogoFilePath();

// Reads and checks the logo file; nullopt when it is missing or malformed.
std::optional<LogoImage> ReadLogoFile(const QString& path);

}  // namespace wavetap::engine
