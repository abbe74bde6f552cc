// castora-drm info: what a protected file's header says, and whether its signature holds.

#include "drm/cli/drm_commands.h"
#include "drm/cli/tool_arguments.h"
#include "drm/protected_file_info.h"

int RunInfo(const ToolArguments& arguments, QTextStream& out, QTextStream& err) {
    if (arguments.files.size() != 1) {
        err << kDrmToolUsage;
        return kExitUsage;
    }
    drm::ProtectedFileInfo info;
    const drm::HRESULT hr = drm::ReadProtectedFile(arguments.files.front(), &info);
    if (hr == drm::NS_E_DRM_NOT_PROTECTED) {
        err << "castora-drm: " << arguments.files.front() << " is not protected\n";
        return kExitNotProtected;
    }
    if (drm::Failed(hr)) {
        err << "castora-drm: " << arguments.files.front() << ": " << drm::ResultText(hr) << "\n";
        return kExitFailed;
    }
    const drm::RightsHeaderData& data = info.rights.data;
    out << "kid=" << data.keyId << "\ncontentid=" << data.contentId << "\nlicence=" << data.licenceUrl << "\n";
    for (const auto& [name, value] : data.attributes) out << "attribute." << name << "=" << value << "\n";
    out << "signature=" << (info.signatureValid ? "valid" : "invalid") << "\n";
    return kExitOk;
}
