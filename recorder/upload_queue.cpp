#include "recorder/upload_queue.h"

#include "platform/ini_store.h"
#include "platform/sync.h"
#include "recorder/ini_values.h"
#include "recorder/numbered_sections.h"
#include "recorder/recorder_globals.h"

#include <QFileInfo>

namespace {
const QString kQueueSection = QStringLiteral("FTP");
const QString kCountKey = QStringLiteral("FILECOUNT");
const QString kStateKey = QStringLiteral("FTPSTATE");
}  // namespace

std::mutex& UploadQueueLock() {
    static std::mutex lock;
    return lock;
}

QString UploadSection(int index) { return QStringLiteral("%1_%2").arg(kQueueSection).arg(index); }

int QueuedCount(const QString& queueFile) {
    return std::max(0, platform::GetPrivateProfileInt(kQueueSection, kCountKey, 0, queueFile));
}

std::vector<int> QueuedItems(const QString& queueFile, int fileCount) {
    std::vector<int> items = NumberedSections(queueFile, kQueueSection + u'_');
    items.erase(std::lower_bound(items.begin(), items.end(), fileCount), items.end());
    return items;
}

int ReadUploadState(const QString& queueFile, int index) { return ReadIniInt(UploadSection(index), "FTPSTATE", queueFile); }

UploadItem ReadUploadItem(const QString& queueFile, int index) {
    const QString s = UploadSection(index);
    UploadItem item;
    item.index = index;
    item.state = ReadIniInt(s, "FTPSTATE", queueFile);
    item.fileName = ReadIniText(s, "FILENAME", queueFile);
    item.fileLength = ReadIniInt(s, "FILELEN", queueFile);
    item.pgid = ReadIniInt(s, "pgid", queueFile);
    item.channelId = ReadIniInt(s, "channelID", queueFile);
    item.showId = ReadIniInt(s, "Showid", queueFile);
    item.beginTime = ReadIniText(s, "begintime", queueFile);
    item.endTime = ReadIniText(s, "endtime", queueFile);
    item.recordDate = ReadIniText(s, "recodertime", queueFile);
    return item;
}

void WriteUploadState(const QString& queueFile, int index, int state) {
    platform::WritePrivateProfileString(UploadSection(index), kStateKey, QString::number(state), queueFile);
}

QString UploadFileName(const QString& localPath) {
    const qsizetype cut = std::max(localPath.lastIndexOf(u'/'), localPath.lastIndexOf(u'\\'));
    return localPath.mid(cut + 1);
}

QString UploadBaseName(const QString& fileName) { return fileName.left(std::max<qsizetype>(0, fileName.size() - 4)); }

bool QueueUpload(const QString& queueFile, platform::Event* fileQueued, const QueuedRecording& recording) {
    const QFileInfo file(recording.filePath);
    if (!file.exists() || file.size() < kSmallestQueuedFile) return false;
    if (fileQueued) fileQueued->Set();

    std::lock_guard guard(UploadQueueLock());
    const QString& ftp = kQueueSection;
    // A count far beyond the sections (a broken file) continues after the last one.
    const int i = std::min(QueuedCount(queueFile), LastNumberedSection(queueFile, kQueueSection + u'_') + 1);
    const QString section = UploadSection(i);
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
    platform::WritePrivateProfileString(ftp, kCountKey, QString::number(i + 1), queueFile);
    Recorder().newFileQueued = 1;
    return true;
}
