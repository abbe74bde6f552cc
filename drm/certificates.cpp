#include "drm/certificates.h"

#include "drm/content_key.h"
#include "drm/signing_key.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace drm {

namespace {

using Certificate = std::unique_ptr<X509, decltype(&X509_free)>;
using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;

Certificate Read(const QString& pem) {
    const QByteArray text = pem.toLatin1();
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(text.constData(), static_cast<int>(text.size())),
                                                  BIO_free);
    X509* cert = bio && !text.isEmpty() ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr) : nullptr;
    return Certificate(cert, X509_free);
}

bool Current(X509* cert) {
    return X509_cmp_current_time(X509_get0_notBefore(cert)) < 0 && X509_cmp_current_time(X509_get0_notAfter(cert)) > 0;
}

QString Pem(X509* cert) {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), BIO_free);
    if (!bio || PEM_write_bio_X509(bio.get(), cert) != 1) return {};
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return QString::fromLatin1(data, static_cast<int>(size));
}

bool AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    if (!extension) return false;
    const bool ok = X509_add_ext(cert, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return ok;
}

}  // namespace

bool IsCurrentCertificate(const QString& pem) {
    const Certificate cert = Read(pem);
    return cert && Current(cert.get());
}

bool CertificateIssuedBy(const QString& pem, const QString& issuerPem) {
    const Certificate cert = Read(pem);
    const Certificate issuer = Read(issuerPem);
    if (!cert || !issuer || !Current(cert.get()) || !Current(issuer.get())) return false;
    EVP_PKEY* issuerKey = X509_get0_pubkey(issuer.get());
    return issuerKey && X509_verify(cert.get(), issuerKey) == 1 &&
           X509_NAME_cmp(X509_get_issuer_name(cert.get()), X509_get_subject_name(issuer.get())) == 0;
}

bool CertificateHoldsKey(const QString& pem, const SigningKey& key) {
    const Certificate cert = Read(pem);
    EVP_PKEY* certified = cert ? X509_get0_pubkey(cert.get()) : nullptr;
    return certified && EVP_PKEY_eq(certified, key.Handle()) == 1;
}

QString IssueCertificate(const QByteArray& subjectPublicKeyDer, const QString& commonName, const SigningKey& issuerKey,
                         const QString& issuerPem, int days, bool authority) {
    const auto* der = reinterpret_cast<const unsigned char*>(subjectPublicKeyDer.constData());
    Key subjectKey(d2i_PUBKEY(nullptr, &der, subjectPublicKeyDer.size()), EVP_PKEY_free);
    Certificate cert(X509_new(), X509_free);
    Certificate issuer(nullptr, X509_free);
    if (!issuerPem.isEmpty()) {
        issuer = Read(issuerPem);
        if (!issuer) return {};
    }
    if (!subjectKey || !cert) return {};
    const QByteArray serial = RandomBytes(16);
    std::unique_ptr<BIGNUM, decltype(&BN_free)> serialNumber(
        BN_bin2bn(reinterpret_cast<const unsigned char*>(serial.constData()), static_cast<int>(serial.size()), nullptr),
        BN_free);
    if (serial.isEmpty() || !serialNumber) return {};
    BN_clear_bit(serialNumber.get(), 127);  // a positive serial
    X509_NAME* name = X509_get_subject_name(cert.get());
    const QByteArray cn = commonName.toUtf8();
    const bool ok =
        X509_set_version(cert.get(), 2) == 1 &&
        BN_to_ASN1_INTEGER(serialNumber.get(), X509_get_serialNumber(cert.get())) != nullptr &&
        X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600) != nullptr &&
        X509_gmtime_adj(X509_getm_notAfter(cert.get()), static_cast<long>(days) * 86400) != nullptr &&
        X509_set_pubkey(cert.get(), subjectKey.get()) == 1 &&
        X509_NAME_add_entry_by_txt(name, "O", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>("castora-platform"),
                                   -1, -1, 0) == 1 &&
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(cn.constData()),
                                   -1, -1, 0) == 1 &&
        X509_set_issuer_name(cert.get(), issuer ? X509_get_subject_name(issuer.get()) : name) == 1 &&
        AddExtension(cert.get(), issuer ? issuer.get() : cert.get(), NID_basic_constraints,
                     authority ? "critical,CA:TRUE" : "critical,CA:FALSE") &&
        AddExtension(cert.get(), issuer ? issuer.get() : cert.get(), NID_key_usage,
                     authority ? "critical,keyCertSign,cRLSign" : "critical,digitalSignature") &&
        X509_sign(cert.get(), issuerKey.Handle(), EVP_sha256()) > 0;
    return ok ? Pem(cert.get()) : QString();
}

}  // namespace drm
