#include "recorder/upload_queue.h"

#include "platform/ini_store.h"
#include "platform/sync.h"
#include "recorder/recorder_globals.h"

#include <QFileInfo>

bool QueueUpload(const QString& queueFile, platform::Event* fileQueued, const QueuedRecording& recording) {
    const QFileInfo file(recording.filePath);
    if (!file.exists() || file.size() < kSmallestQueuedFile) return false;
    if (fileQueued) fileQueued->Set();

    const QString ftp = QStringLiteral("FTP");
    const int i = std::max(0, platform::GetPrivateProfileInt(ftp, QStringLiteral("FILECOUNT"), 0, queueFile));
    const QString section = QStringLiteral("%1_%2").arg(ftp).arg(i);
    QString pgid = QStringLiteral("0");
    QString channel = QStringLiteral("0");
    if (!recording.pgidText.isEmpty()) {
        const qsizetype dash = recording.pgidText.indexOf(u'-');
        pgid = dash < 0 ? recording.pgidText : recording.pgidText.left(dash);
        channel = dash < 0 ? QString() : recording.pgidText.mid(dash + 1);
    }
    const auto lowBits = static_cast<qint32>(static_cast<quint32>(file.size() & 0xFFFFFFFF));
    const QList<std::pair<QString, QString>> keys{
        {QStringLiteral("FILENAME"), file.absoluteFilePath()},
        {QStringLiteral("FILELEN"), QString::number(lowBits)},
        {QStringLiteral("endtime"), recording.endTime},
        {QStringLiteral("begintime"), recording.beginTime},
        {QStringLiteral("recodertime"), recording.recordDate},
        {QStringLiteral("pgid"), pgid},
        {QStringLiteral("channelID"), channel},
        {QStringLiteral("Showid"), recording.showId},
        {QStringLiteral("FTPSTATE"), QStringLiteral("0")},
    };
    for (const auto& [key, value] : keys)
        platform::WritePrivateProfileString(section, key, value.isNull() ? QStringLiteral("") : value, queueFile);
    platform::WritePrivateProfileString(ftp, QStringLiteral("FILECOUNT"), QString::number(i + 1), queueFile);
    Recorder().newFileQueued = 1;
    return true;
}
