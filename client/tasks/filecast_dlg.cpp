#include "client/tasks/filecast_dlg.h"

#include "client/tasks/page_controls.h"
#include "client/tasks/task_file_dialog.h"
#include "client/tasks/task_kind.h"

#include <QListWidget>

CFilecastDlg::CFilecastDlg(QWidget* parent) : CCastTaskDlg(TASK_FILECAST, parent) {
    AddLabel(this, QStringLiteral("直播文件："), QRect(16, 128, 120, 20));
    files_ = new QListWidget(this);
    files_->setObjectName(QStringLiteral("fileList"));
    files_->setAccessibleName(QStringLiteral("直播文件"));
    Place(files_, QRect(16, 150, 400, 150), kTopLeft, kBottomRight);
    preview_ = AddPreviewWindow(this, 1052, QRect(424, 150, 200, 150));
}

CFileCastTask* CFilecastDlg::Task() const { return dynamic_cast<CFileCastTask*>(Record()); }
TaskServerInfo* CFilecastDlg::Server() const { return &Task()->serverRecord; }
QString CFilecastDlg::VideoProfile() const { return Task()->videoProfile; }
int CFilecastDlg::Reconn() const { return Task()->reconn; }

void CFilecastDlg::OnSetUp() {
    if (!Task()) return;
    SetUpCastPage();
    files_->clear();
    files_->addItems(Task()->fileList);
}

bool CFilecastDlg::SaveTask() { return Task() && SaveTaskFile(this, *Task()); }

EncoderRunSpec CFilecastDlg::RunSpec() {
    // Group "FC_i" rolls over to the next file's group, after the last to the first with circle.
    const CFileCastTask& task = *Task();
    EncoderRunSpec spec;
    const int count = static_cast<int>(task.fileList.size());
    for (int i = 0; i < count; ++i) {
        EncoderSource source;
        source.groupName = QStringLiteral("FC_%1").arg(i);
        source.videoInput = task.fileList[i];
        source.audioInput = task.fileList[i];
        source.profileName = FileProfileName();
        source.streamType = FileStreamType();
        source.logo = task.checklogo;
        if (i + 1 < count)
            source.rolloverGroup = QStringLiteral("FC_%1").arg(i + 1);
        else if (task.circle)
            source.rolloverGroup = QStringLiteral("FC_0");
        source.noPreview = 1;
        spec.sources.push_back(source);
    }
    return spec;
}

void CFilecastDlg::ShowActiveGroup(const QString& group) {
    bool numbered = false;
    const int index = group.startsWith(QStringLiteral("FC_")) ? group.mid(3).toInt(&numbered) : -1;
    if (numbered && index >= 0 && index < files_->count()) files_->setCurrentRow(index);
}
