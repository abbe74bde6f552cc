#pragma once
// The file broadcast page (page kind 2, dialog 188, menu 文件直播): broadcasts the media
// files of a wizard-made task one after another (and from the first again with circle),
// to a media server of the platform and from this PC on port 9100.

#include "client/tasks/base_task_dlg.h"
#include "client/tasks/cast_page_controls.h"

class CFileCastTask;
class CTaskSummary;
class QListWidget;

class CFilecastDlg : public CBaseTaskDlg {
    Q_OBJECT
public:
    explicit CFilecastDlg(QWidget* parent = nullptr);
    ~CFilecastDlg() override;

    void Stop() override;
    // Saves the task to a .tft file chosen in the save dialog; false when cancelled or failed.
    bool SaveTask();

protected:
    void StartTask() override;
    void OnSetUp() override;

private:
    CFileCastTask* Task() const;

    CTaskSummary* summary_;
    QListWidget* files_;
    QWidget* preview_;  // 1052
    CastPageControls controls_;
};
