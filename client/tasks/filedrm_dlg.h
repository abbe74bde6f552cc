#pragma once
// The DRM protect page (page kind 4, dialog 189, menu 文件加密): protects every media
// file of an input folder into an output folder and registers each with the platform.

#include "client/tasks/file_run_dlg.h"

class CFileDrmTask;
class QComboBox;
class QLineEdit;
class QPushButton;

class CFiledrmDlg : public CFileRunDlg {
    Q_OBJECT
public:
    explicit CFiledrmDlg(QWidget* parent = nullptr);
    ~CFiledrmDlg() override;

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

    QString inputFolder_;
    QString outputFolder_;

    QLineEdit* inputEdit_;      // 1083
    QPushButton* inputButton_;  // 1090
    QLineEdit* outputEdit_;     // 1089
    QPushButton* outputButton_;  // 1081
    QComboBox* profile_;        // 1084, hidden
};
