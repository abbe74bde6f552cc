#pragma once
// The upload page (page kind 3, dialog 153, menu 文件上传): uploads a list of local media
// files to the account's storage by FTP and registers each with the platform.

#include "client/tasks/base_task_dlg.h"
#include "platform/messages.h"

#include <QPointer>
#include <QStringList>

#include <atomic>

class CFileUploadTask;
class CFileUploadWorker;
class CStatusText;
class CWindowHandle;
class QCheckBox;
class QComboBox;
class QListWidget;
class QProgressBar;
class QPushButton;

class CFileuploadDlg : public CBaseTaskDlg {
    Q_OBJECT
public:
    explicit CFileuploadDlg(QWidget* parent = nullptr);
    ~CFileuploadDlg() override;

    void RequestStop() override;
    void Stop() override;

    int PageState() const { return pageState_; }
    QStringList Files() const;
    void AddFiles(const QStringList& paths);
    void ClearFiles();
    // The transfer buffer the worker's FTP client uses (the default suits the page).
    void SetTransferBufferSize(int bytes) { bufferSize_ = bytes; }

    // The open-file dialog's filter.
    static const QString kFileFilter;

protected:
    void StartTask() override;

private:
    CFileUploadTask* Task() const;
    void ChooseFiles();
    void RunEnded();
    void SetRunControls(bool running);
    platform::LRESULT OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam);

    CWindowHandle* handle_;
    QPointer<CFileUploadWorker> worker_;
    std::atomic<int> stopRequested_{0};
    int pageState_ = 4;  // 4 idle, 2 running
    int bufferSize_ = 2048;

    QPushButton* choose_;      // 1078
    QListWidget* list_;        // 1000
    QPushButton* clear_;       // 1018
    QComboBox* profile_;       // 1084, hidden
    QCheckBox* encrypt_;       // 1047, hidden
    QProgressBar* total_;      // 1079
    CStatusText* totalText_;   // 1085
    QProgressBar* single_;     // 1080
    CStatusText* singleText_;  // 1086
    QPushButton* start_;       // 1010
    QPushButton* stop_;        // 1013
    QPushButton* close_;       // 1017
};
