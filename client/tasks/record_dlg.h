#pragma once
// CRecordDlg (page kind 0, menu 定时录播): hosts the programme recorder control, hands it
// the account data once and forwards its exit to the task list. The control runs its own
// schedule; the page has no states, and sign-out leaves it running.

#include "client/tasks/base_task_dlg.h"
#include "platform/component.h"

class CCastoraRecordoctrl1;
class QLabel;

class CRecordDlg : public CBaseTaskDlg {
public:
    explicit CRecordDlg(QWidget* parent = nullptr);

    CCastoraRecordoctrl1* RecorderControl() const { return control_; }
    // What creating the control came to (S_OK, or why it is missing).
    platform::HRESULT CreateResult() const { return createResult_; }

    // Sends WM_TASKLIST 1 with the record's taskId, and nothing else.
    void Close() override;
    // The control runs until it is left; nothing to stop here.
    void Stop() override {}

protected:
    void StartTask() override {}

private:
    CCastoraRecordoctrl1* control_;
    QLabel* failure_;
    platform::HRESULT createResult_ = 0;
};
