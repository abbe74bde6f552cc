#include "recorder/recording_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

QString ChooseRecordingFolder(const QString& pcPath, const QString& programFolder) {
    QString folder;
    if (pcPath.isEmpty())
        folder = programFolder + QStringLiteral("TVRecord");
    else if (!QFileInfo(pcPath).isDir())
        folder = programFolder + QStringLiteral("save");
    else
        return pcPath;
    QDir().mkpath(folder);
    return folder;
}

long long FreeSpaceMegabytes(const QString& folder) {
    const QStorageInfo storage(folder);
    if (!storage.isValid()) return 0;
    return storage.bytesAvailable() / 1024 / 1024;
}
