#include "drm/content_key.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <openssl/rand.h>

#include <memory>

namespace drm {

namespace {

constexpr char kKeySalt[] = "castora-drm content key v1";
constexpr char kChecksumLabel[] = "castora-drm key checksum v1";

bool DecodeExact(const QString& text, int size, QByteArray* raw) {
    const auto decoded = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != size || text.isEmpty()) return false;
    // Only the canonical spelling: the same id must not come in two texts.
    if (decoded.decoded.toBase64() != text.toLatin1()) return false;
    *raw = decoded.decoded;
    return true;
}

}  // namespace

QByteArray RandomBytes(int count) {
    QByteArray bytes(count, Qt::Uninitialized);
    if (count > 0 && RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), count) != 1) return {};
    return bytes;
}

QString NewKeyId() {
    const QByteArray raw = RandomBytes(kKeyIdBytes);
    return raw.isEmpty() ? QString() : QString::fromLatin1(raw.toBase64());
}

bool DecodeKeyId(const QString& text, QByteArray* raw) { return DecodeExact(text, kKeyIdBytes, raw); }

QString NewSeed() {
    const QByteArray raw = RandomBytes(32);
    return raw.isEmpty() ? QString() : QString::fromLatin1(raw.toBase64());
}

bool ValidSeed(const QString& seed) { return seed.size() >= kMinSeedLength; }

bool DeriveContentKey(const QString& seed, const QByteArray& keyId, QByteArray* key) {
    if (!ValidSeed(seed) || keyId.size() != kKeyIdBytes) return false;
    std::unique_ptr<EVP_KDF, decltype(&EVP_KDF_free)> kdf(EVP_KDF_fetch(nullptr, "HKDF", nullptr), EVP_KDF_free);
    if (!kdf) return false;
    std::unique_ptr<EVP_KDF_CTX, decltype(&EVP_KDF_CTX_free)> ctx(EVP_KDF_CTX_new(kdf.get()), EVP_KDF_CTX_free);
    if (!ctx) return false;
    QByteArray secret = seed.toUtf8();
    QByteArray salt(kKeySalt);
    QByteArray info = keyId;
    char digest[] = "SHA256";
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digest, 0),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_KEY, secret.data(), static_cast<size_t>(secret.size())),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_SALT, salt.data(), static_cast<size_t>(salt.size())),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_INFO, info.data(), static_cast<size_t>(info.size())),
        OSSL_PARAM_construct_end(),
    };
    QByteArray derived(kContentKeyBytes, Qt::Uninitialized);
    const bool ok = EVP_KDF_derive(ctx.get(), reinterpret_cast<unsigned char*>(derived.data()),
                                   static_cast<size_t>(derived.size()), params) == 1;
    secret.fill('\0');
    if (!ok) return false;
    *key = derived;
    return true;
}

QString EncodeKey(const QByteArray& key) { return QString::fromLatin1(key.toBase64()); }

bool DecodeKey(const QString& text, QByteArray* key) { return DecodeExact(text, kContentKeyBytes, key); }

QString KeyChecksum(const QByteArray& key) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1 ||
        EVP_DigestUpdate(ctx.get(), kChecksumLabel, sizeof kChecksumLabel - 1) != 1 ||
        EVP_DigestUpdate(ctx.get(), key.constData(), static_cast<size_t>(key.size())) != 1 ||
        EVP_DigestFinal_ex(ctx.get(), digest, &length) != 1)
        return {};
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), 8).toBase64());
}

}  // namespace drm
