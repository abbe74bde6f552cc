#include "drm/drm_content_author.h"

#include "drm/certificates.h"
#include "drm/content_key.h"
#include "drm/profile_export.h"
#include "drm/rights_manager.h"
#include "drm/signing_key.h"

#include <QUuid>

namespace drm {

namespace {

// The rights objects want the layer set up on the calling thread.
struct LayerSession {
    LayerSession() { Initialize(); }
    ~LayerSession() { Uninitialize(); }
};

// The protection of one encoding with a profile's material and a key id, made by the
// rights manager's objects as a file's protection is.
HRESULT MakeProtection(const DrmProfile& profile, const Attributes& extra, const QString& keyId,
                       ContentProtection* protection) {
    LayerSession session;
    std::unique_ptr<CWMRMKeys> keys;
    std::unique_ptr<CWMRMHeader> header;
    std::unique_ptr<CWMRMProtect> protect;
    QString contentId, key, text;
    HRESULT hr = S_OK;
    const auto step = [&hr](HRESULT result) { return !Failed(hr = result); };
    if (!step(CreateInstance(&keys)) || !step(CreateInstance(&header)) || !step(CreateInstance(&protect)) ||
        !step(keys->put_Seed(profile.seed)) || !step(keys->put_KeyID(keyId)) || !step(header->put_KeyID(keyId)) ||
        !step(keys->GenerateKeyID(&contentId)) || !step(header->put_ContentID(contentId)) ||
        !step(header->put_LicenseAcqURL(profile.licenceUrl)))
        return hr;
    for (const auto& [name, value] : profile.attributes + extra)
        if (!step(header->AddAttribute(name, value))) return hr;
    if (!step(keys->GenerateKey(&key)) || !step(header->SetCheckSum(key)) || !step(header->Sign(profile.privateKey)) ||
        !step(header->get_Header(&text)) || !step(protect->put_Header(text)) || !step(protect->put_Key(key)) ||
        !step(protect->put_V1KeyID(keyId)))
        return hr;
    *protection = *protect->Protection();
    if (!profile.v1LicenceUrl.isEmpty()) protection->licenceUrl = profile.v1LicenceUrl;
    return S_OK;
}

}  // namespace

HRESULT DrmContentAuthor::CreateDRMProfile(const QString& providerUrl, const QString& privateKey,
                                           const QString& signedPublicKey, const QString& licenceServerCert,
                                           const QString& rootCert, QVariant* profileId, QVariant* seed,
                                           QString* publicKey) {
    if (!profileId || !seed || !publicKey) return E_POINTER;
    const auto key = SigningKey::FromPem(privateKey);
    if (!key) return NS_E_DRM_INVALID_SIGNING_KEY;
    if (!CertificateIssuedBy(rootCert, rootCert) || !CertificateIssuedBy(signedPublicKey, rootCert) ||
        !CertificateHoldsKey(signedPublicKey, *key) || !CertificateIssuedBy(licenceServerCert, rootCert))
        return NS_E_DRM_INVALID_CERTIFICATE;
    auto profile = std::make_shared<DrmProfile>();
    profile->id = QUuid::createUuid().toString(QUuid::WithBraces).toUpper();
    profile->providerUrl = providerUrl;
    profile->privateKey = privateKey;
    profile->signedPublicKey = signedPublicKey;
    profile->licenceServerCert = licenceServerCert;
    profile->rootCert = rootCert;
    profile->publicKey = QString::fromLatin1(key->PublicKeyDer().toBase64());
    profile->seed = NewSeed();
    if (profile->seed.isEmpty() || profile->publicKey.isEmpty()) return NS_E_DRM_CRYPTO_FAILURE;
    *profileId = profile->id;
    *seed = profile->seed;
    *publicKey = profile->publicKey;
    DRMProfileCollection().Add(std::move(profile));
    return S_OK;
}

HRESULT DrmContentAuthor::SetSessionDRMProfile(const QString& profileId, QVariant* keyId) {
    if (!keyId) return E_POINTER;
    const auto profile = DRMProfileCollection().Find(profileId);
    if (!profile) return NS_E_DRM_PROFILE_NOT_FOUND;
    QString kid = keyId->toString();
    if (kid.isEmpty()) kid = NewKeyId();
    auto protection = std::make_shared<ContentProtection>();
    if (HRESULT hr = MakeProtection(*profile, attributes_, kid, protection.get()); Failed(hr)) return hr;
    *keyId = kid;
    session_ = std::move(protection);
    return S_OK;
}

HRESULT DrmContentAuthor::DeleteDRMProfile(const QString& profileId) {
    return DRMProfileCollection().Remove(profileId) ? S_OK : NS_E_DRM_PROFILE_NOT_FOUND;
}

HRESULT DrmContentAuthor::ExportDRMProfile(const QString& profileId, const QString& password, const QString& path) {
    const auto profile = DRMProfileCollection().Find(profileId);
    if (!profile) return NS_E_DRM_PROFILE_NOT_FOUND;
    return WriteProfileExport(path, password, {*profile, attributes_});
}

}  // namespace drm
