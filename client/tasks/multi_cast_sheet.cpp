#include "client/tasks/multi_cast_sheet.h"

#include "client/tasks/first_pg.h"
#include "client/tasks/output_pg.h"
#include "client/tasks/profile_pg.h"
#include "client/tasks/server_list_pg.h"
#include "client/tasks/task_file.h"
#include "client/tasks/task_kind.h"
#include "client/tasks/time_pg.h"
#include "client/tasks/type_pg.h"

CMultiCastSheet::CMultiCastSheet(QWidget* parent)
    : CBaseSheet(TASK_MULTICAST, parent), profile_(new CProfilePg(this)), output_(new COutputPg(this)) {
    setObjectName(QStringLiteral("multiCastSheet"));
    addPage(FirstPage());
    addPage(TypePage());
    addPage(profile_);
    addPage(ServerPage());
    addPage(output_);
    addPage(TimePage());
}

bool CMultiCastSheet::LoadTaskFile(const QString& path) {
    CMultiCastTask task;
    if (!ReadTaskFile(path, task)) return false;
    LoadSharedPages(task, task.reconn, task.serverRecord.id);
    profile_->Load(task.circle, task.videoProfile);
    output_->Load(task.isRecord, task.outputFile);
    return true;
}

void CMultiCastSheet::FillRecord(CMultiCastTask& task) const {
    FillFromSharedPages(task, task.reconn, task.serverRecord);
    task.videoProfile = profile_->VideoProfile();
    task.circle = profile_->Circle();
    task.isRecord = output_->IsRecord();
    task.outputFile = task.isRecord ? output_->OutputFile() : QString();
}

bool RunMultiCastSheet(QWidget* parent, CBaseTask& record) {
    auto* task = dynamic_cast<CMultiCastTask*>(&record);
    if (!task) return false;
    CMultiCastSheet sheet(parent);
    if (sheet.exec() != CBaseSheet::kWizardFinished) return false;
    sheet.FillRecord(*task);
    return true;
}
