#pragma once
// uploadThread: rounds over "ftpconfigure.ini" that upload each waiting recording to the
// channel's FTP folder, report it with insertVideo and mark it done, every step retried
// in later rounds until it succeeds. Ends when "stopevent" is signalled or at exit.

#include "recorder/ftp_account.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

namespace platform {
class Event;
}
namespace RecorderService {
class CRecorderServiceT;
}

struct UploadWorkerSetup {
    QObject* owner = nullptr;  // the dialog's window: the transfer's progress messages
    std::function<FtpAccount()> account;
    std::atomic<int>* uploading = nullptr;
    std::atomic<int>* uploadDone = nullptr;
    std::function<void(const QString&)> status;  // statusText
    QString queueFile;  // "ftpconfigure.ini"
    QString endpoint;   // the service endpoint
    std::shared_ptr<platform::Event> stopEvent;
};

// The pause between rounds the worker writes as WAITTIME when it starts.
inline constexpr int kDefaultUploadWaitMs = 180000;

class CUploadThread : public QThread {
public:
    explicit CUploadThread(UploadWorkerSetup setup);
    ~CUploadThread() override;

protected:
    void run() override;

private:
    // One pass over the first `count` items; answers how many are still pending.
    int Round(int count);
    // Uploads (state 0) and reports (state 1) one item; true when it is still pending.
    bool Advance(int index);
    // The pause before the next round; false when the worker is to end.
    bool Pause();

    UploadWorkerSetup setup_;
    std::unique_ptr<RecorderService::CRecorderServiceT> service_;  // one for the worker's life
};
