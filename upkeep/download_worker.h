#pragma once
// The download window's worker thread: fetches the file with a libcurl session of its
// own and writes it into the window's open file, reporting by posted events only.

#include "upkeep/url_parts.h"

#include <QThread>

#include <atomic>

class QObject;

struct DownloadJob {
    upkeep::UrlParts url;
    int file = -1;                              // the window's open target file
    const std::atomic<bool>* abort = nullptr;   // set by the window's Cancel
    QObject* window = nullptr;                  // receives the DownloadReport events
};

class CDownloadWorker : public QThread {
public:
    explicit CDownloadWorker(DownloadJob job) : job_(std::move(job)) {}

protected:
    void run() override;

private:
    DownloadJob job_;
};
