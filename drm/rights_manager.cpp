#include "drm/rights_manager.h"

#include "drm/asf_file_transform.h"
#include "drm/content_key.h"
#include "drm/rights_header.h"
#include "drm/signing_key.h"

#include <QFileInfo>

namespace drm {

namespace {

thread_local int tInitialized = 0;

template <class T>
HRESULT Create(std::unique_ptr<T>* object) {
    if (!object) return E_POINTER;
    if (tInitialized <= 0) return CO_E_NOTINITIALIZED;
    *object = std::make_unique<T>();
    return S_OK;
}

bool ValidKeyId(const QString& text) {
    QByteArray raw;
    return DecodeKeyId(text, &raw);
}

}  // namespace

HRESULT Initialize() {
    ++tInitialized;
    return tInitialized == 1 ? S_OK : S_FALSE;
}

void Uninitialize() {
    if (tInitialized > 0) --tInitialized;
}

HRESULT CreateInstance(std::unique_ptr<CWMRMHeader>* object) { return Create(object); }
HRESULT CreateInstance(std::unique_ptr<CWMRMProtect>* object) { return Create(object); }
HRESULT CreateInstance(std::unique_ptr<CWMRMKeys>* object) { return Create(object); }

HRESULT CWMRMKeys::put_Seed(const QString& seed) {
    if (!ValidSeed(seed)) return NS_E_DRM_INVALID_SEED;
    seed_ = seed;
    return S_OK;
}

HRESULT CWMRMKeys::GenerateKeyID(QString* keyId) {
    if (!keyId) return E_POINTER;
    const QString id = NewKeyId();
    if (id.isEmpty()) return NS_E_DRM_CRYPTO_FAILURE;
    *keyId = id;
    return S_OK;
}

HRESULT CWMRMKeys::put_KeyID(const QString& keyId) {
    if (!ValidKeyId(keyId)) return NS_E_DRM_INVALID_KID;
    keyId_ = keyId;
    return S_OK;
}

HRESULT CWMRMKeys::GenerateKey(QString* key) {
    if (!key) return E_POINTER;
    QByteArray raw, contentKey;
    if (seed_.isEmpty() || !DecodeKeyId(keyId_, &raw)) return E_UNEXPECTED;
    if (!DeriveContentKey(seed_, raw, &contentKey)) return NS_E_DRM_CRYPTO_FAILURE;
    *key = EncodeKey(contentKey);
    return S_OK;
}

HRESULT CWMRMHeader::put_KeyID(const QString& keyId) {
    if (!ValidKeyId(keyId)) return NS_E_DRM_INVALID_KID;
    keyId_ = keyId;
    return S_OK;
}

HRESULT CWMRMHeader::put_ContentID(const QString& contentId) {
    if (!ValidKeyId(contentId)) return NS_E_DRM_INVALID_KID;
    contentId_ = contentId;
    return S_OK;
}

HRESULT CWMRMHeader::put_LicenseAcqURL(const QString& url) {
    licenceUrl_ = url;
    return S_OK;
}

HRESULT CWMRMHeader::AddAttribute(const QString& name, const QString& value) {
    if (name.isEmpty()) return E_INVALIDARG;
    attributes_.append({name, value});
    return S_OK;
}

HRESULT CWMRMHeader::SetCheckSum(const QString& key) {
    QByteArray raw;
    if (!DecodeKey(key, &raw)) return NS_E_DRM_INVALID_KEY;
    checksum_ = KeyChecksum(raw);
    return checksum_.isEmpty() ? NS_E_DRM_CRYPTO_FAILURE : S_OK;
}

HRESULT CWMRMHeader::Sign(const QString& privateKey) {
    if (keyId_.isEmpty() || contentId_.isEmpty() || checksum_.isEmpty()) return NS_E_DRM_HEADER_INCOMPLETE;
    const auto key = SigningKey::FromPem(privateKey);
    if (!key) return NS_E_DRM_INVALID_SIGNING_KEY;
    const auto header = BuildSignedHeader({keyId_, contentId_, licenceUrl_, checksum_, attributes_}, *key);
    if (!header) return NS_E_DRM_CRYPTO_FAILURE;
    signedHeader_ = *header;
    return S_OK;
}

HRESULT CWMRMHeader::get_Header(QString* header) {
    if (!header) return E_POINTER;
    if (signedHeader_.isEmpty()) return NS_E_DRM_HEADER_INCOMPLETE;
    *header = signedHeader_;
    return S_OK;
}

HRESULT CWMRMProtect::put_Header(const QString& header) {
    const auto parsed = ParseRightsHeader(header);
    if (!parsed || !HeaderSignatureValid(*parsed)) return NS_E_DRM_INVALID_HEADER;
    protection_.rightsHeader = header;
    protection_.keyId = parsed->data.keyId;
    protection_.licenceUrl = parsed->data.licenceUrl;
    protection_.checksum = parsed->data.checksum;
    haveHeader_ = true;
    return S_OK;
}

HRESULT CWMRMProtect::put_Key(const QString& key) {
    QByteArray raw;
    if (!DecodeKey(key, &raw)) return NS_E_DRM_INVALID_KEY;
    if (!haveHeader_) return E_UNEXPECTED;
    if (KeyChecksum(raw) != protection_.checksum) return NS_E_DRM_KEY_MISMATCH;
    protection_.contentKey = raw;
    haveKey_ = true;
    return S_OK;
}

HRESULT CWMRMProtect::put_V1KeyID(const QString& keyId) {
    if (!ValidKeyId(keyId)) return NS_E_DRM_INVALID_KID;
    protection_.v1KeyId = keyId;
    return S_OK;
}

HRESULT CWMRMProtect::put_InputFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) return E_FILE_NOT_FOUND;
    if (!info.isReadable()) return E_ACCESSDENIED;
    inputFile_ = path;
    return S_OK;
}

std::optional<ContentProtection> CWMRMProtect::Protection() const {
    if (!haveHeader_ || !haveKey_) return std::nullopt;
    ContentProtection protection = protection_;
    if (protection.v1KeyId.isEmpty()) protection.v1KeyId = protection.keyId;
    return protection;
}

HRESULT CWMRMProtect::ProtectFile(const QString& outputPath) {
    const auto protection = Protection();
    if (!protection || inputFile_.isEmpty()) return E_UNEXPECTED;
    if (outputPath.isEmpty()) return E_INVALIDARG;
    return asf::ProtectFile(inputFile_, outputPath, *protection);
}

}  // namespace drm
