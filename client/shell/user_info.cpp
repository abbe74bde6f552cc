#include "client/shell/user_info.h"

#include "platform/code_page.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

namespace {

constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kSchema = 1;
constexpr char kClassName[] = "CUserInfo";
constexpr std::uint16_t kUnicodeMark = 0xFFFE;
constexpr std::uint32_t kUnicodeMarkLength = 0xFFFFFFFEu;  // stands for the mark, never a real length
constexpr qint64 kMaxFileSize = 1 << 20;  // far more than two short strings ever need

void PutU8(QByteArray& out, std::uint8_t v) { out.append(static_cast<char>(v)); }
void PutU16(QByteArray& out, std::uint16_t v) {
    PutU8(out, v & 0xFF);
    PutU8(out, v >> 8);
}
void PutU32(QByteArray& out, std::uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

void PutString(QByteArray& out, const QString& text) {
    PutU8(out, 0xFF);
    PutU16(out, kUnicodeMark);
    const auto length = static_cast<std::uint32_t>(text.size());
    if (length < 0xFF) {
        PutU8(out, static_cast<std::uint8_t>(length));
    } else if (length < 0xFFFE) {
        PutU8(out, 0xFF);
        PutU16(out, static_cast<std::uint16_t>(length));
    } else {
        PutU8(out, 0xFF);
        PutU16(out, 0xFFFF);
        PutU32(out, length);
    }
    for (QChar c : text) PutU16(out, c.unicode());
}

// Reads little-endian values without ever passing the end.
class Reader {
public:
    explicit Reader(const QByteArray& bytes) : bytes_(bytes) {}

    bool U8(std::uint8_t& v) {
        if (Left() < 1) return false;
        v = static_cast<std::uint8_t>(bytes_[pos_++]);
        return true;
    }
    bool U16(std::uint16_t& v) {
        std::uint8_t lo = 0, hi = 0;
        if (Left() < 2 || !U8(lo) || !U8(hi)) return false;
        v = static_cast<std::uint16_t>(lo | (hi << 8));
        return true;
    }
    bool U32(std::uint32_t& v) {
        std::uint16_t lo = 0, hi = 0;
        if (Left() < 4 || !U16(lo) || !U16(hi)) return false;
        v = lo | (static_cast<std::uint32_t>(hi) << 16);
        return true;
    }
    bool Bytes(qint64 count, QByteArray& out) {
        if (count < 0 || count > Left()) return false;
        out = bytes_.mid(pos_, count);
        pos_ += count;
        return true;
    }
    qint64 Left() const { return bytes_.size() - pos_; }

    // One length: a byte below FF, else a 16-bit value below FFFF, else a 32-bit value.
    // The UTF-16 mark FF FFFE comes back as kUnicodeMarkLength.
    bool Length(std::uint32_t& length) {
        std::uint8_t b = 0;
        if (!U8(b)) return false;
        if (b < 0xFF) {
            length = b;
            return true;
        }
        std::uint16_t w = 0;
        if (!U16(w)) return false;
        if (w == kUnicodeMark) {
            length = kUnicodeMarkLength;
            return true;
        }
        if (w < 0xFFFF) {
            length = w;
            return true;
        }
        return U32(length);
    }

    // A length-prefixed string: UTF-16 after the FF FFFE mark, otherwise ANSI bytes.
    bool String(QString& out) {
        int charSize = 1;
        std::uint32_t length = 0;
        if (!Length(length)) return false;
        if (length == kUnicodeMarkLength) {
            charSize = 2;
            if (!Length(length) || length == kUnicodeMarkLength) return false;
        }
        if (length == 0xFFFFFFFFu) return false;
        QByteArray raw;
        if (!Bytes(static_cast<qint64>(length) * charSize, raw)) return false;
        if (charSize == 1) {
            out = platform::FromAnsi(raw);
            return true;
        }
        out.resize(static_cast<qsizetype>(length));
        for (std::uint32_t i = 0; i < length; ++i) {
            const auto lo = static_cast<std::uint8_t>(raw[2 * i]);
            const auto hi = static_cast<std::uint8_t>(raw[2 * i + 1]);
            out[i] = QChar(static_cast<char16_t>(lo | (hi << 8)));
        }
        return true;
    }

private:
    const QByteArray& bytes_;
    qint64 pos_ = 0;
};

}  // namespace

QByteArray CUserInfo::Serialize() const {
    QByteArray out;
    PutU16(out, kNewClassTag);
    PutU16(out, kSchema);
    PutU16(out, sizeof(kClassName) - 1);
    out.append(kClassName, sizeof(kClassName) - 1);
    PutString(out, userName);
    PutString(out, passwordDigest);
    return out;
}

std::optional<CUserInfo> CUserInfo::Parse(const QByteArray& bytes) {
    Reader in(bytes);
    std::uint16_t tag = 0, schema = 0, nameLength = 0;
    if (!in.U16(tag) || tag != kNewClassTag) return std::nullopt;
    if (!in.U16(schema) || schema != kSchema) return std::nullopt;
    if (!in.U16(nameLength) || nameLength != sizeof(kClassName) - 1) return std::nullopt;
    QByteArray name;
    if (!in.Bytes(nameLength, name) || name != kClassName) return std::nullopt;
    CUserInfo info;
    if (!in.String(info.userName) || !in.String(info.passwordDigest)) return std::nullopt;
    return info;
}

std::optional<CUserInfo> CUserInfo::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize) return std::nullopt;
    return Parse(file.readAll());
}

bool CUserInfo::Save(const QString& path) const {
    // Written beside the old file and renamed over it, so a failed write never leaves half a
    // record; the new file is private to the user from its first byte.
    const QByteArray bytes = Serialize();
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temp = target + ".tmp";
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::fchmod(fd, 0600);
    qint64 written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n <= 0) break;
        written += n;
    }
    const bool ok = written == bytes.size() && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok || ::rename(temp.constData(), target.constData()) != 0) {
        ::unlink(temp.constData());
        return false;
    }
    return true;
}
