#pragma once
// An encoder's DRM content author: makes DRM profiles from the provider's key material,
// keeps the attributes of the encodings it protects, names the profile an encoding is
// protected with, deletes and exports profiles.

#include "drm/content_protection.h"
#include "drm/drm_profile.h"
#include "drm/drm_profile_collection.h"
#include "drm/results.h"

#include <QString>
#include <QVariant>

#include <memory>

namespace drm {

class DrmContentAuthor {
public:
    // Checks the material (the signing key, its certificate and the licence server's
    // under the root) and adds a new profile first in the collection: `profileId` and
    // `seed` get its id and key seed, `publicKey` the public half of its signing key.
    HRESULT CreateDRMProfile(const QString& providerUrl, const QString& privateKey, const QString& signedPublicKey,
                             const QString& licenceServerCert, const QString& rootCert, QVariant* profileId,
                             QVariant* seed, QString* publicKey);
    DrmProfileCollection& DRMProfileCollection() { return DrmProfileCollection::Instance(); }
    // The attributes every encoding protected by this author carries.
    Attributes& DRMAttributes() { return attributes_; }
    // Protects this encoding with the profile; an empty `keyId` is filled with a new key id.
    HRESULT SetSessionDRMProfile(const QString& profileId, QVariant* keyId);
    HRESULT DeleteDRMProfile(const QString& profileId);
    HRESULT ExportDRMProfile(const QString& profileId, const QString& password, const QString& path);

    // What the encoding is protected with; null when no profile was set.
    std::shared_ptr<const ContentProtection> SessionProtection() const { return session_; }

private:
    Attributes attributes_;
    std::shared_ptr<const ContentProtection> session_;
};

}  // namespace drm
