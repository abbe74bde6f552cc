#pragma once
// The file broadcast page (page kind 2, dialog 188, menu 文件直播): broadcasts the media
// files of a wizard-made task one after another (and from the first again with circle),
// to a media server of the platform and from this PC on port 9100.

#include "client/tasks/cast_task_dlg.h"

class QListWidget;

class CFilecastDlg : public CCastTaskDlg {
    Q_OBJECT
public:
    explicit CFilecastDlg(QWidget* parent = nullptr);

    bool SaveTask() override;

protected:
    void OnSetUp() override;
    TaskServerInfo* Server() const override;
    QString VideoProfile() const override;
    int Reconn() const override;
    EncoderRunSpec RunSpec() override;
    // Selects the file now playing.
    void ShowActiveGroup(const QString& group) override;

private:
    CFileCastTask* Task() const;

    QListWidget* files_;
};
