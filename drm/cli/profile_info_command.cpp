// castora-drm profile-info: the names and attributes of an exported DRM profile.

#include "drm/cli/drm_commands.h"
#include "drm/cli/tool_arguments.h"
#include "drm/profile_export.h"

int RunProfileInfo(const ToolArguments& arguments, QTextStream& out, QTextStream& err) {
    if (arguments.files.size() != 1) {
        err << kDrmToolUsage;
        return kExitUsage;
    }
    drm::ProfileExport contents;
    const drm::HRESULT hr = drm::ReadProfileExport(arguments.files.front(), arguments.password, &contents);
    if (drm::Failed(hr)) {
        err << "castora-drm: " << arguments.files.front() << ": " << drm::ResultText(hr) << "\n";
        return kExitFailed;
    }
    const drm::DrmProfile& profile = contents.profile;
    out << "id=" << profile.id << "\nname=" << profile.name << "\ndescription=" << profile.description
        << "\nprovider=" << profile.providerUrl << "\nlicence=" << profile.licenceUrl << "\n";
    for (const auto& [name, value] : profile.attributes + contents.authorAttributes)
        out << "attribute." << name << "=" << value << "\n";
    return kExitOk;
}
