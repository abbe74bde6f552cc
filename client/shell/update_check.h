#pragma once
// The update check in libupkeep.so, bound by name at start-up.

#include <QString>

// Export of the updater library: non-zero when an installer is ready in the temporary
// folder. `result` is set by the library; `progressThread` is always null here.
using CheckUpdateFunction = int (*)(QString updateAddress, QString installerName, int* result,
                                    void* progressThread);

constexpr int kUpdaterMissing = -2;
constexpr int kInstallerReady = -1;

// Loads the updater (beside the program, then the standard path) and runs the check:
// kUpdaterMissing when the library or its export is missing, kInstallerReady when the
// updater asks to install and end, otherwise the updater's result. The library stays loaded.
int RunUpdateCheck(const QString& updateUrl, void* progressThread);

// Opens the downloaded installer in the temporary folder with the desktop's handler.
void LaunchInstaller();
