#pragma once
// The DRM protect page (page kind 4, dialog 189, menu 文件加密): protects every media
// file of an input folder into an output folder and registers each with the platform.

#include "client/tasks/base_task_dlg.h"

#include <QPointer>

#include <atomic>

class CFileDrmTask;
class CFileDrmWorker;
class CStatusText;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

class CFiledrmDlg : public CBaseTaskDlg {
    Q_OBJECT
public:
    explicit CFiledrmDlg(QWidget* parent = nullptr);
    ~CFiledrmDlg() override;

    void RequestStop() override;
    void Stop() override;

    int PageState() const { return pageState_; }
    QString InputFolder() const { return inputFolder_; }
    QString OutputFolder() const { return outputFolder_; }
    void SetInputFolder(const QString& folder);
    void SetOutputFolder(const QString& folder);

protected:
    void StartTask() override;
    void OnSetUp() override;

private:
    CFileDrmTask* Task() const;
    QString ChooseFolder(const QString& current);
    void RunEnded();
    void SetRunControls(bool running);

    QPointer<CFileDrmWorker> worker_;
    std::atomic<int> stopRequested_{0};
    int pageState_ = 4;  // 4 idle, 2 running
    QString inputFolder_;
    QString outputFolder_;

    QLineEdit* inputEdit_;      // 1083
    QPushButton* inputButton_;  // 1090
    QLineEdit* outputEdit_;     // 1089
    QPushButton* outputButton_;  // 1081
    QComboBox* profile_;        // 1084, hidden
    QProgressBar* total_;       // 1079
    CStatusText* totalText_;    // 1085
    QProgressBar* single_;      // 1080, hidden
    CStatusText* singleText_;   // 1086, hidden
    QPushButton* start_;        // 1010
    QPushButton* stop_;         // 1013
    QPushButton* close_;        // 1017
};
