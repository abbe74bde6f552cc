#include "client/shell/update_check.h"

#include "client/shell/client_globals.h"
#include "platform/paths.h"

#include <dlfcn.h>

namespace {

void* LoadUpdater() {
    const QByteArray besideProgram = (Globals().programFolder + QStringLiteral("libupkeep.so")).toLocal8Bit();
    if (void* handle = dlopen(besideProgram.constData(), RTLD_NOW)) return handle;
    return dlopen("libupkeep.so", RTLD_NOW);
}

}  // namespace

int RunUpdateCheck(const QString& updateUrl, void* progressThread) {
    void* library = LoadUpdater();
    if (!library) return kUpdaterMissing;
    auto check = reinterpret_cast<CheckUpdateFunction>(dlsym(library, "CheckUpdate"));
    if (!check) return kUpdaterMissing;
    int result = 0;
    if (check(updateUrl, Globals().installerName, &result, progressThread) != 0) return kInstallerReady;
    return result;
}

void LaunchInstaller() {
    platform::ShellOpen(platform::GetTempFolder() + Globals().installerName);
}
