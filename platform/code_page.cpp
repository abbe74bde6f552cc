#include "platform/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

// One conversion with iconv. An unconvertible or invalid input unit is replaced by
// `replacement` and skipped (`skipUnit` bytes, or a whole surrogate pair for UTF-16).
QByteArray Convert(const char* to, const char* from, const QByteArray& input, const QByteArray& replacement,
                   int skipUnit) {
    QByteArray out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;

    out.resize(input.size() * 2 + 16);
    char* in = const_cast<char*>(input.constData());
    size_t inLeft = static_cast<size_t>(input.size());
    char* outPtr = out.data();
    size_t outLeft = static_cast<size_t>(out.size());

    while (inLeft > 0) {
        size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG || outLeft < static_cast<size_t>(replacement.size())) {
            qsizetype used = outPtr - out.data();
            out.resize(out.size() * 2 + 16);
            outPtr = out.data() + used;
            outLeft = static_cast<size_t>(out.size() - used);
            continue;
        }
        // EILSEQ or EINVAL (truncated sequence at the end): replace one unit and go on.
        size_t skip = static_cast<size_t>(skipUnit);
        if (skipUnit == 2 && inLeft >= 4) {
            const auto hi = static_cast<unsigned char>(in[1]);
            if (hi >= 0xD8 && hi <= 0xDB) skip = 4;
        }
        if (skip > inLeft) skip = inLeft;
        in += skip;
        inLeft -= skip;
        memcpy(outPtr, replacement.constData(), static_cast<size_t>(replacement.size()));
        outPtr += replacement.size();
        outLeft -= static_cast<size_t>(replacement.size());
    }
    // Flush any shift state.
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    iconv_close(cd);
    out.resize(outPtr - out.data());
    return out;
}

}  // namespace

QByteArray ToAnsi(const QString& text) {
    QByteArray utf16(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return Convert("GBK", "UTF-16LE", utf16, QByteArray("?"), 2);
}

QString FromAnsi(const QByteArray& bytes) {
    static const QByteArray replacement("\xFD\xFF", 2);  // U+FFFD in UTF-16LE
    QByteArray utf16 = Convert("UTF-16LE", "GBK", bytes, replacement, 1);
    return QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
}

bool ChineseToUtf8(const QByteArray& bytes, const QByteArray& encodingName, QByteArray* utf8) {
    const QByteArray name = encodingName.trimmed().toUpper();
    if (name != "GBK" && name != "CP936" && name != "GB2312" && name != "GB18030") return false;
    // GB18030 contains GBK, which contains GB2312: one decoder reads all of them.
    static const QByteArray replacement("\xEF\xBF\xBD");  // U+FFFD
    *utf8 = Convert("UTF-8", "GB18030", bytes, replacement, 1);
    return true;
}

bool IsValidUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        unsigned char c = p[i];
        int extra;
        unsigned min;
        unsigned cp;
        if (c < 0x80) { ++i; continue; }
        if ((c & 0xE0) == 0xC0) { extra = 1; min = 0x80; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { extra = 2; min = 0x800; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { extra = 3; min = 0x10000; cp = c & 0x07; }
        else return false;
        if (i + extra >= n) return false;  // sequence cut off at the end
        for (int k = 1; k <= extra; ++k) {
            unsigned char cc = p[i + k];
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

}  // namespace platform
