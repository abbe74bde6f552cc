#include "platform/paths.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace platform {
namespace {

QString WithSlash(QString folder) {
    if (!folder.endsWith(u'/')) folder += u'/';
    return folder;
}

}  // namespace

QString GetProgramFolder() {
    // The running executable, whatever library asks.
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    return WithSlash(QFileInfo(exe.symLinkTarget()).absolutePath());
}

QString GetTempFolder() {
    return WithSlash(QDir::tempPath());
}

QString GetUserConfigFolder() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
    const QString folder = WithSlash(base) + QStringLiteral("castora/");
    QDir().mkpath(folder);
    return folder;
}

bool ShellOpen(const QString& pathOrUrl) {
    const QUrl url = QFileInfo::exists(pathOrUrl) ? QUrl::fromLocalFile(pathOrUrl) : QUrl(pathOrUrl);
    return QDesktopServices::openUrl(url);
}

}  // namespace platform
