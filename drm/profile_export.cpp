#include "drm/profile_export.h"

#include "drm/content_key.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <openssl/evp.h>

#include <memory>

namespace drm {

namespace {

constexpr char kMagic[] = "CDRMPRF1";
constexpr int kMagicSize = 8;
constexpr int kSaltSize = 16;
constexpr int kIvSize = 12;
constexpr int kTagSize = 16;
constexpr quint32 kIterations = 200000;
constexpr quint32 kMaxIterations = 10000000;
constexpr qint64 kMaxExportSize = 1 << 20;
constexpr int kPrologSize = kMagicSize + 4 + kSaltSize + kIvSize;

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

QByteArray PasswordKey(const QString& password, const QByteArray& salt, quint32 iterations) {
    const QByteArray secret = password.toUtf8();
    QByteArray key(32, Qt::Uninitialized);
    if (PKCS5_PBKDF2_HMAC(secret.constData(), static_cast<int>(secret.size()),
                          reinterpret_cast<const unsigned char*>(salt.constData()), static_cast<int>(salt.size()),
                          static_cast<int>(iterations), EVP_sha256(), static_cast<int>(key.size()),
                          reinterpret_cast<unsigned char*>(key.data())) != 1)
        return {};
    return key;
}

QJsonArray ToJson(const Attributes& attributes) {
    QJsonArray array;
    for (const auto& [name, value] : attributes) array.append(QJsonArray{name, value});
    return array;
}

Attributes FromJson(const QJsonArray& array) {
    Attributes attributes;
    for (const QJsonValue& item : array) {
        const QJsonArray pair = item.toArray();
        if (pair.size() == 2) attributes.append({pair[0].toString(), pair[1].toString()});
    }
    return attributes;
}

QByteArray Serialise(const ProfileExport& contents) {
    const DrmProfile& p = contents.profile;
    const QJsonObject profile{{"id", p.id},
                              {"name", p.name},
                              {"description", p.description},
                              {"providerUrl", p.providerUrl},
                              {"licenceUrl", p.licenceUrl},
                              {"v1LicenceUrl", p.v1LicenceUrl},
                              {"privateKey", p.privateKey},
                              {"signedPublicKey", p.signedPublicKey},
                              {"licenceServerCert", p.licenceServerCert},
                              {"rootCert", p.rootCert},
                              {"publicKey", p.publicKey},
                              {"seed", p.seed},
                              {"attributes", ToJson(p.attributes)}};
    return QJsonDocument(QJsonObject{{"profile", profile}, {"authorAttributes", ToJson(contents.authorAttributes)}})
        .toJson(QJsonDocument::Compact);
}

bool Deserialise(const QByteArray& json, ProfileExport* contents) {
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject() || !document.object().value("profile").isObject()) return false;
    const QJsonObject p = document.object().value("profile").toObject();
    DrmProfile& profile = contents->profile;
    profile.id = p.value("id").toString();
    profile.name = p.value("name").toString();
    profile.description = p.value("description").toString();
    profile.providerUrl = p.value("providerUrl").toString();
    profile.licenceUrl = p.value("licenceUrl").toString();
    profile.v1LicenceUrl = p.value("v1LicenceUrl").toString();
    profile.privateKey = p.value("privateKey").toString();
    profile.signedPublicKey = p.value("signedPublicKey").toString();
    profile.licenceServerCert = p.value("licenceServerCert").toString();
    profile.rootCert = p.value("rootCert").toString();
    profile.publicKey = p.value("publicKey").toString();
    profile.seed = p.value("seed").toString();
    profile.attributes = FromJson(p.value("attributes").toArray());
    contents->authorAttributes = FromJson(document.object().value("authorAttributes").toArray());
    return true;
}

void AppendBe32(QByteArray& out, quint32 value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.append(static_cast<char>((value >> shift) & 0xFF));
}

}  // namespace

HRESULT WriteProfileExport(const QString& path, const QString& password, const ProfileExport& contents) {
    if (password.isEmpty() || path.isEmpty()) return E_INVALIDARG;
    const QByteArray salt = RandomBytes(kSaltSize);
    const QByteArray iv = RandomBytes(kIvSize);
    if (salt.isEmpty() || iv.isEmpty()) return NS_E_DRM_CRYPTO_FAILURE;
    QByteArray key = PasswordKey(password, salt, kIterations);
    QByteArray plain = Serialise(contents);
    QByteArray prolog(kMagic, kMagicSize);
    AppendBe32(prolog, kIterations);
    prolog += salt + iv;

    CipherContext ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    QByteArray sealed(plain.size(), Qt::Uninitialized);
    QByteArray tag(kTagSize, Qt::Uninitialized);
    int length = 0;
    const bool ok =
        !key.isEmpty() && ctx &&
        EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, reinterpret_cast<const unsigned char*>(key.constData()),
                           reinterpret_cast<const unsigned char*>(iv.constData())) == 1 &&
        EVP_EncryptUpdate(ctx.get(), nullptr, &length, reinterpret_cast<const unsigned char*>(prolog.constData()),
                          static_cast<int>(prolog.size())) == 1 &&
        EVP_EncryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(sealed.data()), &length,
                          reinterpret_cast<const unsigned char*>(plain.constData()), static_cast<int>(plain.size())) == 1 &&
        EVP_EncryptFinal_ex(ctx.get(), nullptr, &length) == 1 &&
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, kTagSize, tag.data()) == 1;
    key.fill('\0');
    plain.fill('\0');
    if (!ok) return NS_E_DRM_CRYPTO_FAILURE;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return E_ACCESSDENIED;
    const QByteArray bytes = prolog + sealed + tag;
    if (file.write(bytes) != bytes.size() || !file.commit()) return E_WRITE_FAULT;
    return S_OK;
}

HRESULT ReadProfileExport(const QString& path, const QString& password, ProfileExport* contents) {
    QFile file(path);
    if (!QFileInfo::exists(path)) return E_FILE_NOT_FOUND;
    if (!file.open(QIODevice::ReadOnly)) return E_ACCESSDENIED;
    if (file.size() > kMaxExportSize) return NS_E_DRM_INVALID_EXPORT;
    const QByteArray bytes = file.readAll();
    if (bytes.size() < kPrologSize + kTagSize || !bytes.startsWith(QByteArray(kMagic, kMagicSize)))
        return NS_E_DRM_INVALID_EXPORT;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + kMagicSize;
    const quint32 iterations = (quint32{p[0]} << 24) | (quint32{p[1]} << 16) | (quint32{p[2]} << 8) | p[3];
    if (iterations == 0 || iterations > kMaxIterations) return NS_E_DRM_INVALID_EXPORT;
    const QByteArray prolog = bytes.left(kPrologSize);
    const QByteArray salt = bytes.mid(kMagicSize + 4, kSaltSize);
    const QByteArray iv = bytes.mid(kMagicSize + 4 + kSaltSize, kIvSize);
    const QByteArray sealed = bytes.mid(kPrologSize, bytes.size() - kPrologSize - kTagSize);
    QByteArray tag = bytes.right(kTagSize);
    QByteArray key = PasswordKey(password, salt, iterations);

    CipherContext ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    QByteArray plain(sealed.size(), Qt::Uninitialized);
    int length = 0;
    const bool ok =
        !key.isEmpty() && ctx &&
        EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, reinterpret_cast<const unsigned char*>(key.constData()),
                           reinterpret_cast<const unsigned char*>(iv.constData())) == 1 &&
        EVP_DecryptUpdate(ctx.get(), nullptr, &length, reinterpret_cast<const unsigned char*>(prolog.constData()),
                          static_cast<int>(prolog.size())) == 1 &&
        EVP_DecryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(plain.data()), &length,
                          reinterpret_cast<const unsigned char*>(sealed.constData()), static_cast<int>(sealed.size())) == 1 &&
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kTagSize, tag.data()) == 1 &&
        EVP_DecryptFinal_ex(ctx.get(), nullptr, &length) == 1;
    key.fill('\0');
    if (!ok) return NS_E_DRM_BAD_PASSWORD;
    const bool read = Deserialise(plain, contents);
    plain.fill('\0');
    return read ? S_OK : NS_E_DRM_INVALID_EXPORT;
}

}  // namespace drm
