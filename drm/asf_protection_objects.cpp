#include "drm/asf_protection_objects.h"

#include "drm/rights_header.h"

namespace drm::asf {

namespace {

using wavetap::asf::kObjectPrologSize;
using wavetap::asf::ReadLe32;

void AppendLe32(QByteArray& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void AppendLe64(QByteArray& out, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A length-prefixed field: DWORD length, then the bytes.
void AppendField(QByteArray& out, const QByteArray& bytes) {
    AppendLe32(out, static_cast<std::uint32_t>(bytes.size()));
    out.append(bytes);
}

// A zero-terminated ASCII (UTF-8) field as the object stores it.
QByteArray Terminated(const QString& text) { return text.toUtf8() + '\0'; }

QByteArray Object(const Guid& guid, const QByteArray& body) {
    QByteArray out(reinterpret_cast<const char*>(guid.data()), static_cast<int>(guid.size()));
    AppendLe64(out, kObjectPrologSize + static_cast<std::uint64_t>(body.size()));
    out.append(body);
    return out;
}

// Walks the length-prefixed fields of an object body; every read is bounded.
class FieldReader {
public:
    FieldReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Next(QByteArray* field) {
        if (size_ - pos_ < 4) return false;
        const std::uint32_t length = ReadLe32(data_ + pos_);
        pos_ += 4;
        if (length > size_ - pos_) return false;
        *field = QByteArray(reinterpret_cast<const char*>(data_ + pos_), static_cast<int>(length));
        pos_ += length;
        return true;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

QString Unterminated(const QByteArray& field) {
    const qsizetype end = field.indexOf('\0');
    return QString::fromUtf8(end < 0 ? field : field.left(end));
}

}  // namespace

ProtectionMarks MarksFor(const ContentProtection& protection) {
    ProtectionMarks marks;
    marks.v1KeyId = protection.v1KeyId;
    marks.licenceUrl = protection.licenceUrl;
    marks.rightsHeader = protection.rightsHeader;
    marks.secretData = QByteArray::fromBase64(protection.checksum.toLatin1());
    return marks;
}

QByteArray ContentEncryptionObject(const ProtectionMarks& marks) {
    QByteArray body;
    AppendField(body, marks.secretData);
    AppendField(body, Terminated(marks.protectionType.isEmpty() ? QStringLiteral("DRM") : marks.protectionType));
    AppendField(body, Terminated(marks.v1KeyId));
    AppendField(body, Terminated(marks.licenceUrl));
    return Object(kContentEncryptionObject, body);
}

QByteArray ExtendedContentEncryptionObject(const QString& rightsHeader) {
    QByteArray text;
    for (const QChar c : rightsHeader + QChar(0)) {
        text.append(static_cast<char>(c.unicode() & 0xFF));
        text.append(static_cast<char>(c.unicode() >> 8));
    }
    QByteArray body;
    AppendField(body, text);
    return Object(kExtendedContentEncryptionObject, body);
}

bool ReadContentEncryptionObject(const std::uint8_t* object, std::size_t size, ProtectionMarks* marks) {
    if (size < kObjectPrologSize) return false;
    FieldReader reader(object + kObjectPrologSize, size - kObjectPrologSize);
    QByteArray secret, type, keyId, url;
    if (!reader.Next(&secret) || !reader.Next(&type) || !reader.Next(&keyId) || !reader.Next(&url)) return false;
    marks->secretData = secret;
    marks->protectionType = Unterminated(type);
    marks->v1KeyId = Unterminated(keyId);
    marks->licenceUrl = Unterminated(url);
    return true;
}

bool ReadExtendedContentEncryptionObject(const std::uint8_t* object, std::size_t size, ProtectionMarks* marks) {
    if (size < kObjectPrologSize) return false;
    FieldReader reader(object + kObjectPrologSize, size - kObjectPrologSize);
    QByteArray data;
    if (!reader.Next(&data) || data.size() % 2 != 0 || data.size() / 2 > kMaxRightsHeaderLength + 1) return false;
    QString text(static_cast<qsizetype>(data.size() / 2), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(static_cast<char16_t>(static_cast<std::uint8_t>(data[2 * i]) |
                                              (static_cast<std::uint8_t>(data[2 * i + 1]) << 8)));
    while (text.endsWith(QChar(0))) text.chop(1);
    marks->rightsHeader = text;
    return true;
}

}  // namespace drm::asf
