#pragma once
// recordingThread: finds the first show that is due, records it with one encoder object
// into the recording folder, stops at the end of the show's window, queues the file for
// upload and looks for the next show, until the user stops recording or exits. It never
// touches a widget: the list goes through its store, the dialog through posted messages.

#include "recorder/recorder_settings.h"

#include <QDateTime>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

class CWavetap;
class ShowListFile;
class ShowListStore;
namespace platform {
class Event;
}

struct RecordingWorkerSetup {
    QObject* owner = nullptr;  // the dialog's window: encoder events and the worker's requests
    QPointer<QWidget> preview;  // the preview static, given to the encoder as postview
    ShowListStore* list = nullptr;
    const ShowListFile* file = nullptr;
    QString settingsPath;   // "Recorderconfig.ini"
    QString programFolder;  // ends in '/'
    QString queueFile;      // "ftpconfigure.ini"
    std::shared_ptr<platform::Event> fileQueued;
    const std::atomic<int>* stopRequested = nullptr;
    std::function<QDateTime()> clock;  // the local time; the system clock when empty
};

class CRecordingThread : public QThread {
public:
    explicit CRecordingThread(RecordingWorkerSetup setup);
    ~CRecordingThread() override;

protected:
    void run() override;

private:
    // The window of the show being recorded, as last read from its row.
    struct ShowWindow {
        QString start, end, pgid, showId;
    };

    QDateTime Now() const;
    bool Stopping() const;
    void Post(unsigned msg, unsigned long long wParam);
    void SetStatus(unsigned long long key, const QString& status);
    void HandleRefresh();
    // Step 4 for a due row; false when the worker is to leave its loop.
    bool StartShow(int row);
    // The row's start, end, pgid and show id; false when the row is gone.
    bool ReadWindow(ShowWindow* window) const;
    void EndShow();
    void Finish();
    // Sleeps up to `milliseconds`, ending early when the user stops or exits.
    void Pause(int milliseconds) const;
    QString UsableFolder() const;

    RecordingWorkerSetup setup_;
    RecordingSettings settings_;
    std::unique_ptr<CWavetap> wavetap_;
    bool recording_ = false;
    int from_ = 0;
    unsigned long long currentKey_ = 0;
    ShowWindow window_;
    QString outputFile_;
    QString dateText_;
};
