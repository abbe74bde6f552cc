#pragma once
// QueueUpload: a finished recording becomes the next item of "ftpconfigure.ini", where
// the upload worker finds it.

#include <QString>

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

// Signals `fileQueued` (when there is one), writes section "FTP_<FILECOUNT>" with
// FILENAME, FILELEN, endtime, begintime, recodertime, pgid, channelID, Showid and
// FTPSTATE 0, counts it and sets newFileQueued. False when nothing was queued.
bool QueueUpload(const QString& queueFile, platform::Event* fileQueued, const QueuedRecording& recording);
