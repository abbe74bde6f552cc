#include "client/tasks/base_sheet.h"

#include "client/service/selected_server.h"
#include "client/tasks/first_pg.h"
#include "client/tasks/server_list_pg.h"
#include "client/tasks/task_records.h"
#include "client/tasks/time_pg.h"
#include "client/tasks/type_pg.h"

CBaseSheet::CBaseSheet(int kind, QWidget* parent)
    : QWizard(parent),
      kind_(kind),
      first_(new CFirstPg(this)),
      type_(new CTypePg(this)),
      server_(new CServerListPg(this)),
      time_(new CTimePg(this)) {
    setWindowTitle(QStringLiteral("新建会话向导"));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage, true);
    setButtonText(QWizard::BackButton, QStringLiteral("< 上一步"));
    setButtonText(QWizard::NextButton, QStringLiteral("下一步 >"));
    setButtonText(QWizard::FinishButton, QStringLiteral("完成"));
    setButtonText(QWizard::CancelButton, QStringLiteral("取消"));
    setMinimumSize(560, 420);
}

void CBaseSheet::accept() {
    // done() checks the last page first and stays open when it refuses.
    done(kWizardFinished);
}

void CBaseSheet::LoadSharedPages(const CBaseTask& task, int reconn, int serverId) {
    type_->Load(task.streamType, task.checklogo, reconn, task.isLiveDrm);
    server_->SetServerId(serverId);
    time_->SetTimes(task.autoBegin, task.beginTime, task.autoStop, task.endTime);
}

void CBaseSheet::FillFromSharedPages(CBaseTask& task, int& reconn, SelectedServer& server) const {
    task.streamType = type_->StreamType();
    task.checklogo = type_->CheckLogo();
    task.isLiveDrm = type_->IsLiveDrm();
    reconn = type_->Reconn();
    server.id = server_->ServerId();
    server.mediaName = server_->ServerName();
    task.autoBegin = time_->AutoBegin();
    task.beginTime = time_->BeginTime();
    task.autoStop = time_->AutoStop();
    task.endTime = time_->EndTime();
}
