// Feeds arbitrary bytes to the protected-header reader of castora-drm info: as an ASF
// header block, and (from its eighth byte on) as rights header text. A block the reader
// accepts must also unprotect and protect again.
#include "drm/asf_header_rewrite.h"
#include "drm/protected_file_info.h"
#include "drm/rights_header.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray block(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    drm::ProtectedFileInfo info;
    if (!drm::Failed(drm::ReadProtectedHeader(block, &info))) {
        QByteArray plain;
        drm::asf::ProtectionMarks marks;
        if (drm::Failed(drm::asf::UnprotectHeader(block, &plain, &marks))) std::abort();
        QByteArray again;
        if (drm::Failed(drm::asf::ProtectHeader(plain, marks, &again))) std::abort();
    }
    if (size > 8) {
        const auto header = drm::ParseRightsHeader(QString::fromUtf8(block.mid(8)));
        if (header) drm::HeaderSignatureValid(*header);
    }
    return 0;
}
