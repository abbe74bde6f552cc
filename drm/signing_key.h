#pragma once
// Signing keys of headers and certificates: a private key read from PEM text, its
// public half as DER (SubjectPublicKeyInfo), signatures over SHA-256 and their check.

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

typedef struct evp_pkey_st EVP_PKEY;

namespace drm {

class SigningKey {
public:
    // A private key in PEM text (PKCS#8 or traditional); nothing for anything else.
    static std::optional<SigningKey> FromPem(const QString& pem);
    // A new P-256 key; nothing when the generator fails.
    static std::optional<SigningKey> Generate();

    QString PrivatePem() const;
    QByteArray PublicKeyDer() const;
    // Empty when signing fails.
    QByteArray Sign(const QByteArray& data) const;
    EVP_PKEY* Handle() const { return key_.get(); }

private:
    explicit SigningKey(EVP_PKEY* key);
    std::shared_ptr<EVP_PKEY> key_;
};

// True when `signature` is a signature of `data` by the key whose public half is `publicKeyDer`.
bool VerifySignature(const QByteArray& publicKeyDer, const QByteArray& data, const QByteArray& signature);

}  // namespace drm
