#pragma once
// Password-protected export files of DRM profiles: the profile and the content
// author's attributes as JSON, sealed with AES-256-GCM under a key made from the
// password by PBKDF2-HMAC-SHA256 with a random salt. Files are mode 0600.

#include "drm/drm_profile.h"
#include "drm/results.h"

#include <QString>

namespace drm {

struct ProfileExport {
    DrmProfile profile;
    Attributes authorAttributes;
};

// E_INVALIDARG for an empty password (the file would hold the keys unprotected).
HRESULT WriteProfileExport(const QString& path, const QString& password, const ProfileExport& contents);
// NS_E_DRM_BAD_PASSWORD for the wrong password (or a changed file), NS_E_DRM_INVALID_EXPORT
// for a file that is no export.
HRESULT ReadProfileExport(const QString& path, const QString& password, ProfileExport* contents);

}  // namespace drm
