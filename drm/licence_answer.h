#pragma once
// The body of a licence the platform's licence endpoint hands out: "kid=" and "key="
// lines, the key as base64 text.

#include <QByteArray>
#include <QString>

namespace drm {

QByteArray WriteLicence(const QString& keyId, const QByteArray& contentKey);
// The content key of `keyId` in a licence body; false when the body is not one for it.
bool ReadLicence(const QByteArray& body, const QString& keyId, QByteArray* contentKey);

}  // namespace drm
