#pragma once
// Fetches a key id's licence from a licence address over HTTP, signed in with the
// session cookie of a ClientService sign-in.

#include "drm/results.h"

#include <QByteArray>
#include <QString>

namespace drm {

// `cookieHeader` is the sign-in's "Cookie: ...\r\n" line. On failure `reason` says why:
// NS_E_DRM_LICENCE_UNREACHABLE, NS_E_DRM_LICENCE_REFUSED (with the service's words) or
// NS_E_DRM_INVALID_LICENCE (an answer that is no licence for the key id).
HRESULT FetchLicence(const QString& licenceUrl, const QByteArray& cookieHeader, const QString& keyId,
                     QByteArray* contentKey, QString* reason);

}  // namespace drm
