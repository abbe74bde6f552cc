#pragma once
// QueueUpload: a finished recording becomes the next item of "ftpconfigure.ini", where
// the upload worker finds it.

#include <QString>

#include <mutex>
#include <vector>

namespace platform {
class Event;
}

// Files of 102400 bytes or less are not queued.
inline constexpr long long kSmallestQueuedFile = 102401;

struct QueuedRecording {
    QString filePath;
    QString beginTime;   // show start
    QString endTime;     // show end
    QString pgidText;    // the show's PGID: "<programme>-<channel>" or empty
    QString recordDate;  // "%04d-%02d-%02d"
    QString showId;      // SHOWID, empty for custom shows
};

// Serialises QueueUpload against the upload worker's reset of FILECOUNT, so that an
// item counted while the worker resets is never dropped.
std::mutex& UploadQueueLock();

// Signals `fileQueued` (when there is one), writes section "FTP_<FILECOUNT>" with
// FILENAME, FILELEN, endtime, begintime, recodertime, pgid, channelID, Showid and
// FTPSTATE 0, counts it and sets newFileQueued. False when nothing was queued.
bool QueueUpload(const QString& queueFile, platform::Event* fileQueued, const QueuedRecording& recording);

// One item of the queue as the upload worker reads it (section "FTP_<index>").
struct UploadItem {
    int index = 0;
    int state = 0;  // FTPSTATE: 0 waiting, 1 uploaded, 2 reported
    QString fileName;
    int fileLength = 0;
    int pgid = 0;
    int channelId = 0;
    int showId = 0;
    QString beginTime, endTime, recordDate;
};

// Item states.
enum UploadState { kUploadWaiting = 0, kUploadSent = 1, kUploadDone = 2 };

QString UploadSection(int index);
// FILECOUNT; 0 when missing, garbage or negative.
int QueuedCount(const QString& queueFile);
// The items worth scanning, in order: the indexes below FILECOUNT that have a section
// in the file, so that a count far beyond the sections costs nothing.
std::vector<int> QueuedItems(const QString& queueFile, int fileCount);
int ReadUploadState(const QString& queueFile, int index);
UploadItem ReadUploadItem(const QString& queueFile, int index);
void WriteUploadState(const QString& queueFile, int index, int state);
// The part of a local path after its last separator, and that without its last four
// characters (the extension), as the upload report names the video.
QString UploadFileName(const QString& localPath);
QString UploadBaseName(const QString& fileName);
