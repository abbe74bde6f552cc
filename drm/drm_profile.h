#pragma once
// A DRM profile: the provider's key material for protecting encodings, with its
// names, licence addresses and attributes. Held in memory only; it leaves the process
// only inside a password-protected export.

#include <QList>
#include <QPair>
#include <QString>

namespace drm {

using Attributes = QList<QPair<QString, QString>>;

struct DrmProfile {
    QString id;  // "{8-4-4-4-12}" upper-case hexadecimal
    QString name;
    QString description;
    QString providerUrl;
    QString licenceUrl;
    QString v1LicenceUrl;  // for older players
    QString privateKey;    // signing key, PEM
    QString signedPublicKey;
    QString licenceServerCert;
    QString rootCert;
    QString publicKey;  // base64 DER of the signing key's public half
    QString seed;
    Attributes attributes;
};

}  // namespace drm
