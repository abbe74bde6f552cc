#pragma once
// Folders of the running program and of the user, and the desktop's "open".

#include <QString>

namespace platform {

// Folder of the running executable, ending in '/'.
QString GetProgramFolder();

// The user's temporary folder, ending in '/'.
QString GetTempFolder();

// $XDG_CONFIG_HOME/castora/ (default ~/.config/castora/), ending in '/'; created on demand.
QString GetUserConfigFolder();

// Opens a file or address with the desktop's default handler. False when nothing took it.
bool ShellOpen(const QString& pathOrUrl);

}  // namespace platform
