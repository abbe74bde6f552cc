#pragma once
// One file of an upload run: what the storage gets and what uploadVideo records.

#include <QString>

struct UploadItem {
    QString videoName;     // file name without its folder
    QString localPath;     // full local path
    QString uploadFolder;  // storage folder, the local date "%Y%m%d"
    QString uploadName;    // stored name: time, random number, the file's extension
    int onlyAudio = 0;     // 1 for .wma and .mp3 files
    qint64 videoSize = 0;  // bytes; 0 when the file cannot be read
    QString kid;           // empty: a plain upload carries no key id
    int isUpload = 0;
};

// The item of a chosen local file, named for the current second.
UploadItem MakeUploadItem(const QString& localPath);

// A stored name for `videoName`: local "%Y%m%d%H%M%S", a number 10000..42767 and the last
// four characters of `videoName`. The generator is reseeded from a clock finer than the
// second, and a name equal to `previous` is drawn again, so files sent within one second
// never land on one another in the storage.
QString NewUploadName(const QString& videoName, const QString& previous = QString());
