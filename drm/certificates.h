#pragma once
// X.509 certificates of the live rights material: a root that issues the licence
// server's certificate and the signed public keys of broadcasts. PEM text throughout.

#include <QByteArray>
#include <QString>

namespace drm {

class SigningKey;

// True for a readable PEM certificate that is valid now.
bool IsCurrentCertificate(const QString& pem);
// True when `pem` is a current certificate signed by the key of the current certificate `issuerPem`.
bool CertificateIssuedBy(const QString& pem, const QString& issuerPem);
// True when the certificate certifies the public half of `key`.
bool CertificateHoldsKey(const QString& pem, const SigningKey& key);

// A certificate for the public key `subjectPublicKeyDer` named `commonName`, signed by
// `issuerKey`; self-signed when `issuerPem` is empty. Empty on failure.
QString IssueCertificate(const QByteArray& subjectPublicKeyDer, const QString& commonName, const SigningKey& issuerKey,
                         const QString& issuerPem, int days, bool authority);

}  // namespace drm
