#include "client/tasks/task_page_factory.h"

#include "client/tasks/derecord_dlg.h"
#include "client/tasks/file_cast_sheet.h"
#include "client/tasks/filecast_dlg.h"
#include "client/tasks/filedrm_dlg.h"
#include "client/tasks/fileupload_dlg.h"
#include "client/tasks/livecast_dlg.h"
#include "client/tasks/monitor_dlg.h"
#include "client/tasks/multi_cast_sheet.h"
#include "client/tasks/multicast_dlg.h"
#include "client/tasks/record_dlg.h"
#include "client/tasks/task_kind.h"

#include <map>

namespace {

template <class Page>
CBaseTaskDlg* Make(QWidget* parent) {
    return new Page(parent);
}

// Each page kind's page and wizard, added here as the kinds come:
//   {TASK_LIVECAST, {Make<CLivecastDlg>, {}}},
//   {TASK_FILECAST, {Make<CFilecastDlg>, RunFileCastSheet}},
std::map<int, TaskPageKind>& Kinds() {
    static std::map<int, TaskPageKind> kinds = {
        {TASK_FILECAST, {Make<CFilecastDlg>, RunFileCastSheet}},
        {TASK_FILEDRM, {Make<CFiledrmDlg>, {}}},
        {TASK_FILEUPLOAD, {Make<CFileuploadDlg>, {}}},
        {TASK_LIVECAST, {Make<CLivecastDlg>, {}}},
        {TASK_MONITOR, {Make<CMonitorDlg>, {}}},
        {TASK_MULTICAST, {Make<CMulticastDlg>, RunMultiCastSheet}},
        {TASK_SCHEDULED_RECORD, {Make<CRecordDlg>, {}}},
        {TASK_LOCAL_RECORD, {Make<CDerecordDlg>, {}}},
    };
    return kinds;
}

}  // namespace

CBaseTaskDlg* CreateTaskPage(int pageKind, QWidget* parent) {
    const auto it = Kinds().find(pageKind);
    return it != Kinds().end() && it->second.makePage ? it->second.makePage(parent) : nullptr;
}

bool RunTaskWizard(int pageKind, QWidget* parent, CBaseTask& record) {
    const auto it = Kinds().find(pageKind);
    if (it == Kinds().end() || !it->second.runWizard) return true;
    return it->second.runWizard(parent, record);
}

bool HasTaskPage(int pageKind) {
    const auto it = Kinds().find(pageKind);
    return it != Kinds().end() && it->second.makePage;
}

void RegisterTaskPage(int pageKind, TaskPageKind entry) {
    if (entry.makePage || entry.runWizard) {
        Kinds()[pageKind] = std::move(entry);
    } else {
        Kinds().erase(pageKind);
    }
}
