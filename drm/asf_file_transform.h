#pragma once
// Whole-file protection and decryption of ASF files. The output is written beside its
// final name and renamed into place only when complete, so a failure leaves nothing
// that looks like a finished file.

#include "drm/asf_protection_objects.h"
#include "drm/content_protection.h"
#include "drm/results.h"

#include <QByteArray>
#include <QString>

namespace drm::asf {

HRESULT ProtectFile(const QString& input, const QString& output, const ContentProtection& protection);
// Writes the unprotected file; the key must be the content key of the file's key id.
HRESULT DecryptFile(const QString& input, const QString& output, const QByteArray& contentKey);
// Reads the protection marks of a file's header (NS_E_DRM_NOT_PROTECTED for a plain file).
HRESULT ReadFileMarks(const QString& path, ProtectionMarks* marks);

}  // namespace drm::asf
