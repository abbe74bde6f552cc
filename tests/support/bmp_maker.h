#pragma once
// Hand-made .bmp files for tests of the logo file and the logo dialog.

#include <QByteArray>
#include <QtEndian>

namespace bmp_maker {

inline int RowBytes(int bitsPerPixel, int width) { return (bitsPerPixel * width + 31) / 32 * 4; }

struct Bmp {
    int width = 16;
    int height = 16;
    int bitsPerPixel = 24;
    int colorsUsed = 0;
    quint32 storedImageSize = 0;  // what the header claims; 0 is usual for plain rows
    int gap = 0;                  // bytes between the header and the rows
    int headerSize = 40;          // 108 and 124 for the fourth and fifth versions
    unsigned char blue = 0, green = 0, red = 255;
};

// A file with an information header of the common form or a later version (its extra
// fields left 0); 24-bit rows filled with one colour.
inline QByteArray Make(const Bmp& b) {
    const int rows = b.height < 0 ? -b.height : b.height;
    const int rowBytes = RowBytes(b.bitsPerPixel, b.width);
    const int palette = b.colorsUsed * 4;
    const int pixelOffset = 14 + b.headerSize + palette + b.gap;
    QByteArray data(pixelOffset + rowBytes * rows, '\0');
    auto* d = reinterpret_cast<uchar*>(data.data());
    d[0] = 'B';
    d[1] = 'M';
    qToLittleEndian<quint32>(static_cast<quint32>(data.size()), d + 2);
    qToLittleEndian<quint32>(static_cast<quint32>(pixelOffset), d + 10);
    uchar* info = d + 14;
    qToLittleEndian<quint32>(static_cast<quint32>(b.headerSize), info);
    qToLittleEndian<qint32>(b.width, info + 4);
    qToLittleEndian<qint32>(b.height, info + 8);
    qToLittleEndian<quint16>(1, info + 12);
    qToLittleEndian<quint16>(static_cast<quint16>(b.bitsPerPixel), info + 14);
    qToLittleEndian<quint32>(b.storedImageSize, info + 20);
    qToLittleEndian<quint32>(static_cast<quint32>(b.colorsUsed), info + 32);
    for (int i = 0; i < b.gap; ++i) d[14 + b.headerSize + palette + i] = 0xEE;
    if (b.bitsPerPixel == 24)
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < b.width; ++x) {
                uchar* p = d + pixelOffset + y * rowBytes + x * 3;
                p[0] = b.blue;
                p[1] = b.green;
                p[2] = b.red;
            }
    return data;
}

}  // namespace bmp_maker
