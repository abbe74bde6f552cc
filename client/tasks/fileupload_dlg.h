#pragma once
// The upload page (page kind 3, dialog 153, menu 文件上传): uploads a list of local media
// files to the account's storage by FTP and registers each with the platform.

#include "client/tasks/file_run_dlg.h"
#include "platform/messages.h"

#include <QStringList>

class CFileUploadTask;
class CWindowHandle;
class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;

class CFileuploadDlg : public CFileRunDlg {
    Q_OBJECT
public:
    explicit CFileuploadDlg(QWidget* parent = nullptr);
    ~CFileuploadDlg() override;

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
    platform::LRESULT OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam);

    CWindowHandle* handle_;
    int bufferSize_ = 2048;

    QPushButton* choose_;      // 1078
    QListWidget* list_;        // 1000
    QPushButton* clear_;       // 1018
    QComboBox* profile_;       // 1084, hidden
    QCheckBox* encrypt_;       // 1047, hidden
};
