#include "client/tasks/filecast_dlg.h"

#include "client/shell/client_globals.h"
#include "client/tasks/cast_page_controls.h"
#include "client/tasks/task_file_dialog.h"
#include "client/tasks/task_kind.h"
#include "client/tasks/task_records.h"
#include "client/tasks/task_summary.h"
#include "client/widgets/find_control.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

CFilecastDlg::CFilecastDlg(QWidget* parent) : CBaseTaskDlg(TASK_FILECAST, kCastPageSize, parent) {
    summary_ = new CTaskSummary(this);
    Place(summary_, QRect(16, 12, 608, 140), kTopLeft, kTopRight);

    Place(new QLabel(QStringLiteral("直播文件："), this), QRect(16, 158, 120, 20));
    files_ = new QListWidget(this);
    files_->setObjectName(QStringLiteral("fileList"));
    files_->setAccessibleName(QStringLiteral("直播文件"));
    Place(files_, QRect(16, 180, 390, 120), kTopLeft, kBottomLeft);
    preview_ = new QWidget(this);
    preview_->setAutoFillBackground(true);
    preview_->setStyleSheet(QStringLiteral("background: black"));
    Place(preview_, QRect(424, 180, 200, 120), kTopRight, kBottomRight);
    SetControlId(preview_, 1052, QStringLiteral("预览"));

    controls_ = AddCastPageControls(this);
    SetButtons(controls_.startStop, controls_.close);
    connect(controls_.save, &QPushButton::clicked, this, [this] { SaveTask(); });
}

CFilecastDlg::~CFilecastDlg() = default;

CFileCastTask* CFilecastDlg::Task() const { return dynamic_cast<CFileCastTask*>(Record()); }

void CFilecastDlg::OnSetUp() {
    controls_.internet->clear();
    controls_.lan->setText(QStringLiteral("mms://%1:9100").arg(Globals().userIp));
    CFileCastTask* task = Task();
    if (!task) return;
    summary_->Show({task->videoProfile, task->serverRecord.mediaName, task->streamType, task->autoBegin,
                    task->beginTime, task->autoStop, task->endTime, task->reconn, task->isLiveDrm});
    files_->clear();
    files_->addItems(task->fileList);
}

bool CFilecastDlg::SaveTask() {
    CFileCastTask* task = Task();
    return task && SaveTaskFile(this, *task);
}

void CFilecastDlg::StartTask() {}

void CFilecastDlg::Stop() {}
