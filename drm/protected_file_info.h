#pragma once
// What a protected file's header says: its key id, content id, licence address, the
// profile attributes, and whether the rights header's signature holds.

#include "drm/results.h"
#include "drm/rights_header.h"

#include <QByteArray>
#include <QString>

namespace drm {

struct ProtectedFileInfo {
    RightsHeader rights;
    QString v1KeyId;
    QString v1LicenceUrl;
    bool signatureValid = false;
};

// From a header block (the Header Object and the start of the Data Object):
// NS_E_DRM_NOT_PROTECTED for a plain file, NS_E_DRM_INVALID_HEADER for unreadable marks.
HRESULT ReadProtectedHeader(const QByteArray& headerBlock, ProtectedFileInfo* info);
// The same from the start of a file.
HRESULT ReadProtectedFile(const QString& path, ProtectedFileInfo* info);

}  // namespace drm
