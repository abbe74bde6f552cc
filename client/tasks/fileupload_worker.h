#pragma once
// The upload page's worker: sends each chosen file to the account's FTP storage under a
// new name in the day's folder, registers it with uploadVideo, and asks the operator
// (Abort, Retry, Ignore) when a step fails. Status and progress go to the page by queued
// signals; the FTP client posts the single-file percentage (2124) to the page's window.
// A stop request is the shared flag plus thread message 2024, which ends a blocked
// socket wait at once.

#include "client/tasks/file_run_worker.h"
#include "client/tasks/upload_item.h"
#include "ftp/logon_info.h"
#include "platform/messages.h"

#include <QPointer>
#include <QStringList>

#include <atomic>
#include <vector>

// Thread message that wakes the worker from a blocked FTP wait.
inline constexpr unsigned kUploadWakeMessage = platform::WM_USER + 1000;  // 2024

struct FileUploadRun {
    QStringList files;        // local paths in list order
    nsFTP::CLogonInfo logon;  // the account's ip, port, ftpUser, ftpPass
    bool passive = false;     // FTPPASSIVE is 1
    int bufferSize = 2048;    // the FTP client's transfer buffer
    QObject* progressWindow = nullptr;  // receives 2124 during a transfer
};

class CFileUploadWorker : public CFileRunWorker {
    Q_OBJECT
public:
    CFileUploadWorker(FileUploadRun run, const std::atomic<int>* stopRequested, QObject* parent = nullptr);

    // Posts the wake message to the running worker (no-op before it runs or after it ended).
    void Wake() const override;

signals:
    void statusChanged(const QString& text);
    void fileSelected(int row);
    void progressRangeChanged(int maximum);
    void progressChanged(int value);
    // An item stored and registered: its storage folder and its file name.
    void fileUploaded(const QString& uploadFolder, const QString& videoName);

protected:
    void run() override;

private:
    enum class Outcome { Done, Failed, Stopped };
    // Uploads and registers one item, asking on failure; false when the run must end.
    bool ProcessItem(UploadItem& item);
    // One attempt from the FTP log-in on; `question` is what to ask when it failed.
    Outcome Attempt(const UploadItem& item, QString* question);

    FileUploadRun run_;
    std::atomic<platform::ThreadId> threadId_{0};
};
