#include "drm/protected_file_info.h"

#include "drm/asf_file_transform.h"
#include "drm/asf_header_rewrite.h"

namespace drm {

namespace {

HRESULT FromMarks(const asf::ProtectionMarks& marks, ProtectedFileInfo* info) {
    const auto rights = ParseRightsHeader(marks.rightsHeader);
    if (!rights) return NS_E_DRM_INVALID_HEADER;
    info->rights = *rights;
    info->v1KeyId = marks.v1KeyId;
    info->v1LicenceUrl = marks.licenceUrl;
    info->signatureValid = HeaderSignatureValid(*rights);
    return S_OK;
}

}  // namespace

HRESULT ReadProtectedHeader(const QByteArray& headerBlock, ProtectedFileInfo* info) {
    asf::ProtectionMarks marks;
    if (HRESULT hr = asf::ReadMarks(headerBlock, &marks); Failed(hr)) return hr;
    return FromMarks(marks, info);
}

HRESULT ReadProtectedFile(const QString& path, ProtectedFileInfo* info) {
    asf::ProtectionMarks marks;
    if (HRESULT hr = asf::ReadFileMarks(path, &marks); Failed(hr)) return hr;
    return FromMarks(marks, info);
}

}  // namespace drm
