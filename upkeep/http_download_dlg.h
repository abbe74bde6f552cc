#pragma once
// The download window: fetches one address into one file with a progress bar, the rate
// and the time left, and a Cancel button. Accepted only when the whole file arrived; on an
// error or Cancel the partial file is deleted.

#include "upkeep/url_parts.h"

#include <QDialog>

#include <atomic>
#include <memory>

class CDownloadAnimation;
class CDownloadWorker;
class QLabel;
class QProgressBar;
class QPushButton;

namespace upkeep {
class DownloadReport;
}

class CHttpDownloadDlg : public QDialog {
public:
    CHttpDownloadDlg(const QString& url, const QString& targetFile, QWidget* parent = nullptr);
    ~CHttpDownloadDlg() override;

    // Starts the download and runs the window modally. QDialog::Accepted when the file
    // is complete; QDialog::Rejected after an error (already shown) or Cancel.
    int DoModal();

    // Cancel, Escape and the window's close button: while the download runs they ask it
    // to stop ("正在中止传输"); afterwards they close the window.
    void reject() override;

protected:
    bool event(QEvent* event) override;

private:
    void OnReport(const upkeep::DownloadReport& report);
    void OnComplete(int wParam, const QString& error);
    void AskCredentials(const upkeep::DownloadReport& report);
    void CloseAndDeleteFile();

    QString url_;
    QString targetFile_;
    upkeep::UrlParts parts_;
    int file_ = -1;
    std::atomic<bool> abort_{false};
    bool running_ = false;
    std::unique_ptr<CDownloadWorker> worker_;

    CDownloadAnimation* animation_;
    QLabel* status_;
    QLabel* from_;
    QProgressBar* progress_;
    QLabel* remaining_;
    QLabel* rate_;
    QPushButton* cancel_;
};
