#pragma once
// CVEKRecorderDlg: the recorder's main dialog inside the control: the two tab pages, the
// preview with its idle picture, the start/stop and exit buttons; it owns the recording
// worker and answers the encoder's and the FTP transfer's messages.

#include "client/shell/ini_config.h"
#include "platform/messages.h"
#include "recorder/ftp_account.h"
#include "recorder/show_list_file.h"

#include <QDateTime>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

class CRecorderSetDlg;
class CRecorderShowDlg;
class CRecordingThread;
class CUploadThread;
class CWebSyncThread;
class CWindowHandle;
class QLabel;
class QPushButton;
class QTabWidget;
namespace platform {
class Event;
}

class CVEKRecorderDlg : public QWidget {
public:
    // recorderState values.
    enum State { kArmed = 0, kEncoderRunning = 2, kStopping = 3, kStopped = 4 };

    CVEKRecorderDlg();
    ~CVEKRecorderDlg() override;

    // Builds the dialog as a child of `parent` and runs its start-up; false when the
    // window could not be made.
    bool Create(QWidget* parent);

    // The window messages are sent and posted to (the encoder's owner).
    QObject* WindowHandle() const;
    void SetHostWindow(QObject* window) { hostWindow_ = window; }
    QObject* HostWindow() const { return hostWindow_.data(); }

    // The FTP account (SetFtpInfo, "WEBShowList.ini" and the template rebuild write it).
    FtpAccount Ftp() const { return ftp_.Get(); }
    void SetFtp(const FtpAccount& account) { ftp_.Set(account); }
    QString StatusText() const { return statusText_; }
    QString ChannelName() const;

    int RecorderState() const { return recorderState_; }
    bool Uploading() const { return uploading_ != 0; }
    int UploadDone() const { return uploadDone_; }
    CRecorderSetDlg* SettingsPage() const { return setPage_; }
    CRecorderShowDlg* ShowPage() const { return showPage_; }
    QTabWidget* Tabs() const { return tabs_; }
    const ShowListFile& ShowFile() const { return *showFile_; }
    const QString& ProgramFolder() const { return programFolder_; }

    // The local time the recording worker goes by (the system clock unless set).
    void SetClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }

    void OnStartStop();  // 1002
    void OnExit();       // 2

private:
    platform::LRESULT OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam);
    void BuildWindow();
    void StartUp();
    // Start-up step 8: the FTP account and channel records of the web-sync part.
    void LoadWebSettings();
    // Start-up step 11: the web-sync and upload workers, and the named events.
    void StartWorkers();
    void StartRecording();
    void StopRecording();
    // Waits for the recording worker to end while this thread's messages are dispatched.
    void WaitForRecordingWorker();
    // Ends the web-sync and upload workers (exit requested) and waits for them while
    // this thread's messages are dispatched, so that a box they show is still answered.
    void StopBackgroundWorkers();
    void SetStatusText(const QString& text);
    void ShowIdlePicture();
    void LockRecordingControls(bool locked);

    QString programFolder_;
    CINIConfig settings_;
    std::unique_ptr<ShowListFile> showFile_;
    CWindowHandle* handle_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    CRecorderSetDlg* setPage_ = nullptr;
    CRecorderShowDlg* showPage_ = nullptr;
    QLabel* preview_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* channelLabel_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QPushButton* liveButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;

    int recorderState_ = kStopped;
    std::atomic<int> stopRequested_{0};
    std::atomic<int> uploading_{0};
    std::atomic<int> uploadDone_{0};
    bool stopping_ = false;
    QString statusText_;
    std::shared_ptr<platform::Event> fileQueuedEvent_;
    std::unique_ptr<CRecordingThread> worker_;
    std::unique_ptr<CWebSyncThread> syncWorker_;
    std::unique_ptr<CUploadThread> uploadWorker_;
    QPointer<QObject> hostWindow_;
    FtpAccountSlot ftp_;
    std::function<QDateTime()> clock_;
};
