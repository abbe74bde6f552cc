// castora-drm protect: what the DRM protect page does for each file, from a script:
// a new name, the protect routine with the company's material, uploadVideo with the key id.

#include "client/service/service_calls.h"
#include "client/shell/client_globals.h"
#include "drm/cli/drm_commands.h"
#include "drm/cli/tool_arguments.h"
#include "drm/cli/tool_sign_in.h"
#include "drm/file_protection_run.h"

#include <QDir>
#include <QFileInfo>

int RunProtect(const ToolArguments& arguments, QTextStream& out, QTextStream& err) {
    if (arguments.out.isEmpty() || arguments.files.isEmpty()) {
        err << kDrmToolUsage;
        return kExitUsage;
    }
    if (!QDir(arguments.out).exists()) {
        err << "castora-drm: no folder " << arguments.out << "\n";
        return kExitUsage;
    }
    QString error;
    if (!SignInForTool(arguments, &error)) {
        err << "castora-drm: " << error << "\n";
        return kExitSignIn;
    }
    const AccountInfo& account = Globals().account;
    if (account.drmCount <= 0) {
        err << "castora-drm: 您的DRM服务余额为零！\n";
        return kExitRefused;
    }
    const FileProtectionRun run(account.drmSeed, account.drmPrivateKey, account.drmUrl);
    int failures = 0;
    for (const QString& file : arguments.files) {
        const QFileInfo input(file);
        ProtectedCopy copy;
        const drm::HRESULT hr = run.Protect(input, arguments.out, &copy);
        if (drm::Failed(hr)) {
            err << "castora-drm: " << QString("加密文件%1失败！").arg(input.fileName()) << " ("
                << drm::ResultText(hr) << ")\n";
            ++failures;
            continue;
        }
        if (!FileProtectionRun::Report(copy, input)) {
            err << "castora-drm: " << QString("文件%1信息入库失败！").arg(input.fileName()) << "\n";
            ++failures;
        }
        out << "kid=" << copy.keyId << "\noutput=" << copy.path << "\n";
        out.flush();
    }
    SvcLogOut();
    return failures == 0 ? kExitOk : kExitFailed;
}
