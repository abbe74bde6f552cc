#include "drm/signing_key.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

namespace drm {

namespace {

// Keys without a digest of their own (Ed25519, Ed448) sign the message itself.
const EVP_MD* DigestFor(EVP_PKEY* key) {
    const int id = EVP_PKEY_get_base_id(key);
    return id == EVP_PKEY_ED25519 || id == EVP_PKEY_ED448 ? nullptr : EVP_sha256();
}

using MdContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

}  // namespace

SigningKey::SigningKey(EVP_PKEY* key) : key_(key, EVP_PKEY_free) {}

std::optional<SigningKey> SigningKey::FromPem(const QString& pem) {
    const QByteArray text = pem.toLatin1();
    if (text.isEmpty()) return std::nullopt;
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(text.constData(), static_cast<int>(text.size())),
                                                  BIO_free);
    if (!bio) return std::nullopt;
    // No pass phrase: an encrypted key is refused rather than prompted for.
    EVP_PKEY* key = PEM_read_bio_PrivateKey(bio.get(), nullptr, [](char*, int, int, void*) { return 0; }, nullptr);
    if (!key) return std::nullopt;
    return SigningKey(key);
}

std::optional<SigningKey> SigningKey::Generate() {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    if (!key) return std::nullopt;
    return SigningKey(key);
}

QString SigningKey::PrivatePem() const {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), BIO_free);
    if (!bio || PEM_write_bio_PrivateKey(bio.get(), key_.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1) return {};
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return QString::fromLatin1(data, static_cast<int>(size));
}

QByteArray SigningKey::PublicKeyDer() const {
    unsigned char* der = nullptr;
    const int size = i2d_PUBKEY(key_.get(), &der);
    if (size <= 0) return {};
    QByteArray result(reinterpret_cast<const char*>(der), size);
    OPENSSL_free(der);
    return result;
}

QByteArray SigningKey::Sign(const QByteArray& data) const {
    MdContext ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    size_t size = 0;
    const auto* input = reinterpret_cast<const unsigned char*>(data.constData());
    if (!ctx || EVP_DigestSignInit(ctx.get(), nullptr, DigestFor(key_.get()), nullptr, key_.get()) != 1 ||
        EVP_DigestSign(ctx.get(), nullptr, &size, input, static_cast<size_t>(data.size())) != 1)
        return {};
    QByteArray signature(static_cast<int>(size), Qt::Uninitialized);
    if (EVP_DigestSign(ctx.get(), reinterpret_cast<unsigned char*>(signature.data()), &size, input,
                       static_cast<size_t>(data.size())) != 1)
        return {};
    signature.resize(static_cast<int>(size));
    return signature;
}

bool VerifySignature(const QByteArray& publicKeyDer, const QByteArray& data, const QByteArray& signature) {
    const auto* der = reinterpret_cast<const unsigned char*>(publicKeyDer.constData());
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(d2i_PUBKEY(nullptr, &der, publicKeyDer.size()),
                                                           EVP_PKEY_free);
    if (!key || signature.isEmpty()) return false;
    MdContext ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    return ctx && EVP_DigestVerifyInit(ctx.get(), nullptr, DigestFor(key.get()), nullptr, key.get()) == 1 &&
           EVP_DigestVerify(ctx.get(), reinterpret_cast<const unsigned char*>(signature.constData()),
                            static_cast<size_t>(signature.size()),
                            reinterpret_cast<const unsigned char*>(data.constData()),
                            static_cast<size_t>(data.size())) == 1;
}

}  // namespace drm
