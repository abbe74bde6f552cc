#pragma once
// The logo file: the small bitmap the operator chose and its position on the video, kept
// as "vek.dat" in the user's config folder (where the Windows folder held it). Layout,
// little-endian: "BM", left (16 bits), top (16 bits), 0 (16 bits), file size (32 bits),
// 0, 0 (16 bits each), offset of the pixels (32 bits); then a bitmap information header
// and the pixel rows as in a .bmp file. The logo dialog writes it, the encoder's logo
// overlay reads it.

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform {

QString LogoFilePath();

// The fields of a bitmap information header that the logo needs.
struct BitmapInfo {
    quint32 headerSize = 0;  // 40 for the common form, 12 for the old core form
    qint32 width = 0;
    qint32 height = 0;  // negative for rows stored top-down
    quint16 bitCount = 0;
    quint32 compression = 0;  // 0 none, 1 and 2 run-length
    quint32 imageSize = 0;    // as stored; 0 is allowed for uncompressed rows
    quint32 colorsUsed = 0;
};

// The information header at the start of `block`; nullopt when it is too short for its
// own size field or names an unknown form.
std::optional<BitmapInfo> ParseBitmapInfo(const QByteArray& block);

// Bytes of pixel rows the header describes: the stored size for run-length data, else
// ((bits per pixel x width + 31) / 32) x 4 x rows. -1 for sizes no logo can have.
qint64 BitmapPixelBytes(const BitmapInfo& info);

// A complete .bmp file holding `bits` (information header and rows), whose rows start
// `pixelOffset` bytes into `bits`.
QByteArray BmpFileFromBits(const QByteArray& bits, quint32 pixelOffset);

// A .bmp file's contents after its 14-byte file header, with the pixel rows moved right
// behind the information header. nullopt when it does not start with "BM", when the
// file is shorter than its header says, or when the pixel offset lies outside it.
std::optional<QByteArray> ParseBmpFile(const QByteArray& file);
// The same for a file on disk (at most 16 MiB are looked at).
std::optional<QByteArray> ReadBmpFile(const QString& path);

// `bits` with a later version of the information header (108 or 124 bytes, as current
// image tools write) cut to the common 40-byte form, which says all that uncompressed rows
// need; any other block comes back unchanged.
QByteArray WithCommonInfoHeader(const QByteArray& bits);

struct LogoFile {
    int left = 0;
    int top = 0;
    QByteArray bits;  // everything after the 20-byte header: information header and rows
};

// At least 20 bytes starting with "BM": the offsets and everything after the header.
std::optional<LogoFile> ParseLogoFile(const QByteArray& data);
std::optional<LogoFile> ReadLogoFile(const QString& path);

// The bytes of a logo file for `bits`, whose information header must be the 40-byte form
// followed by its whole pixel rows; uncompressed rows get their image size recomputed.
// nullopt when the block does not qualify.
std::optional<QByteArray> EncodeLogoFile(int left, int top, const QByteArray& bits);
// Writes EncodeLogoFile's bytes, replacing the file only when complete. False on refusal
// or when the file cannot be written.
bool WriteLogoFile(const QString& path, int left, int top, const QByteArray& bits);

// The logo file's picture as a complete .bmp file, for image loaders.
struct LogoImage {
    int left = 0;
    int top = 0;
    QByteArray bmpFile;
};
std::optional<LogoImage> LogoImageFromFile(const QByteArray& data);
// Reads and checks the logo file; nullopt when it is missing or malformed.
std::optional<LogoImage> ReadLogoImage(const QString& path);

}  // namespace platform
