#include "drm/licence_answer.h"

#include "drm/content_key.h"

#include <QList>

namespace drm {

namespace {
constexpr qsizetype kMaxLicenceSize = 4096;
}

QByteArray WriteLicence(const QString& keyId, const QByteArray& contentKey) {
    return "kid=" + keyId.toLatin1() + "\nkey=" + EncodeKey(contentKey).toLatin1() + "\n";
}

bool ReadLicence(const QByteArray& body, const QString& keyId, QByteArray* contentKey) {
    if (body.size() > kMaxLicenceSize) return false;
    QString kid, key;
    for (const QByteArray& line : body.split('\n')) {
        const QByteArray text = line.trimmed();
        if (text.startsWith("kid=")) kid = QString::fromLatin1(text.mid(4));
        else if (text.startsWith("key=")) key = QString::fromLatin1(text.mid(4));
    }
    return !keyId.isEmpty() && kid == keyId && DecodeKey(key, contentKey);
}

}  // namespace drm
