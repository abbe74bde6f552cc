#include "client/tasks/file_cast_sheet.h"

#include "client/tasks/file_pg.h"
#include "client/tasks/first_pg.h"
#include "client/tasks/server_list_pg.h"
#include "client/tasks/task_file.h"
#include "client/tasks/task_kind.h"
#include "client/tasks/time_pg.h"
#include "client/tasks/type_pg.h"

CFileCastSheet::CFileCastSheet(QWidget* parent) : CBaseSheet(TASK_FILECAST, parent), file_(new CFilePg(this)) {
    setObjectName(QStringLiteral("fileCastSheet"));
    addPage(FirstPage());
    addPage(TypePage());
    addPage(file_);
    addPage(ServerPage());
    addPage(TimePage());
    resize(720, 480);
}

bool CFileCastSheet::LoadTaskFile(const QString& path) {
    CFileCastTask task;
    if (!ReadTaskFile(path, task)) return false;
    LoadSharedPages(task, task.reconn, task.serverRecord.id);
    file_->Load(task.fileList, task.circle, task.videoProfile);
    return true;
}

void CFileCastSheet::FillRecord(CFileCastTask& task) const {
    FillFromSharedPages(task, task.reconn, task.serverRecord);
    task.fileList = file_->FileList();
    task.circle = file_->Circle();
    task.videoProfile = file_->VideoProfile();
}

bool RunFileCastSheet(QWidget* parent, CBaseTask& record) {
    auto* task = dynamic_cast<CFileCastTask*>(&record);
    if (!task) return false;
    CFileCastSheet sheet(parent);
    if (sheet.exec() != CBaseSheet::kWizardFinished) return false;
    sheet.FillRecord(*task);
    return true;
}
