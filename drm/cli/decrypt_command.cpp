// castora-drm decrypt: the file's licence from its licence address, signed in as the
// company, and the file written back unprotected.

#include "client/shell/client_globals.h"
#include "drm/asf_file_transform.h"
#include "drm/cli/drm_commands.h"
#include "drm/cli/licence_client.h"
#include "drm/cli/tool_arguments.h"
#include "drm/cli/tool_sign_in.h"
#include "drm/content_key.h"
#include "drm/protected_file_info.h"

int RunDecrypt(const ToolArguments& arguments, QTextStream& out, QTextStream& err) {
    if (arguments.files.size() != 2) {
        err << kDrmToolUsage;
        return kExitUsage;
    }
    const QString& input = arguments.files[0];
    const QString& output = arguments.files[1];
    drm::ProtectedFileInfo info;
    const drm::HRESULT read = drm::ReadProtectedFile(input, &info);
    if (drm::Failed(read)) {
        err << "castora-drm: " << input << ": " << drm::ResultText(read) << "\n";
        return read == drm::NS_E_DRM_NOT_PROTECTED ? kExitNotProtected : kExitFailed;
    }
    // The licence address comes from the signed part of the header; an unsigned one
    // could send the session to anybody.
    if (!info.signatureValid) {
        err << "castora-drm: " << input << ": the rights header's signature does not hold\n";
        return kExitFailed;
    }
    QString error;
    if (!SignInForTool(arguments, &error)) {
        err << "castora-drm: " << error << "\n";
        return kExitSignIn;
    }
    QByteArray key;
    const drm::RightsHeaderData& data = info.rights.data;
    const drm::HRESULT fetched =
        drm::FetchLicence(data.licenceUrl, Globals().cookieHeader.toUtf8(), data.keyId, &key, &error);
    if (drm::Failed(fetched)) {
        err << "castora-drm: " << error << "\n";
        return fetched == drm::NS_E_DRM_LICENCE_REFUSED ? kExitRefused : kExitFailed;
    }
    if (drm::KeyChecksum(key) != data.checksum) {
        err << "castora-drm: the licence's key does not match the file's key checksum\n";
        return kExitFailed;
    }
    const drm::HRESULT hr = drm::asf::DecryptFile(input, output, key);
    key.fill('\0');
    if (drm::Failed(hr)) {
        err << "castora-drm: " << input << ": " << drm::ResultText(hr) << "\n";
        return kExitFailed;
    }
    out << "kid=" << data.keyId << "\noutput=" << output << "\n";
    return kExitOk;
}
