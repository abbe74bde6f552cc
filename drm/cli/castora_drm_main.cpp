// castora-drm: protects files as the DRM page does, shows what a protected file's
// header says, decrypts a file with a licence from the platform, and reads an
// exported DRM profile.

#include "drm/cli/drm_commands.h"
#include "drm/cli/tool_arguments.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    ToolArguments arguments;
    QString error;
    if (!ParseToolArguments(app.arguments().mid(1), &arguments, &error)) {
        err << "castora-drm: " << error << "\n" << kDrmToolUsage;
        return kExitUsage;
    }
    if (arguments.command == "protect") return RunProtect(arguments, out, err);
    if (arguments.command == "info") return RunInfo(arguments, out, err);
    if (arguments.command == "decrypt") return RunDecrypt(arguments, out, err);
    if (arguments.command == "profile-info") return RunProfileInfo(arguments, out, err);
    err << kDrmToolUsage;
    return kExitUsage;
}
