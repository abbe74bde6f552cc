// Feeds arbitrary bytes to the logo readers: as a .bmp the logo dialog's 浏览 takes, and as
// the logo file the dialog opens and the overlay reads. What the writer accepts must read back.

#include "platform/logo_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    if (const auto bits = platform::ParseBmpFile(bytes)) {
        if (const auto info = platform::ParseBitmapInfo(*bits)) platform::BitmapPixelBytes(*info);
        if (const auto encoded = platform::EncodeLogoFile(3, 4, platform::WithCommonInfoHeader(*bits))) {
            const auto back = platform::ParseLogoFile(*encoded);
            if (!back || back->left != 3 || back->top != 4 || back->bits != encoded->mid(20)) __builtin_trap();
            // Whatever the writer writes, the overlay reads.
            if (!platform::LogoImageFromFile(*encoded)) __builtin_trap();
        }
    }

    if (const auto logo = platform::ParseLogoFile(bytes)) platform::EncodeLogoFile(logo->left, logo->top, logo->bits);
    if (const auto image = platform::LogoImageFromFile(bytes)) {
        if (!image->bmpFile.startsWith("BM")) __builtin_trap();
    }
    return 0;
}
