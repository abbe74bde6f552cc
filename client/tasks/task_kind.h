#pragma once
// The task kinds: the code the task list switches on to pick a record and a tab page.

#include <QString>

enum TaskKind : int {
    TASK_SCHEDULED_RECORD = 0,  // CLiveCastTask with isRecord 1, page CRecordDlg
    TASK_LIVECAST = 1,          // CLiveCastTask, page CLivecastDlg
    TASK_FILECAST = 2,          // CFileCastTask, page CFilecastDlg
    TASK_FILEUPLOAD = 3,        // CFileUploadTask, page CFileuploadDlg
    TASK_FILEDRM = 4,           // CFileDrmTask, page CFiledrmDlg
    TASK_MULTICAST = 5,         // CMultiCastTask, page CMulticastDlg
    TASK_MONITOR = 6,           // no record, page CMonitorDlg
    TASK_LOCAL_RECORD = 7,      // tab kind only: CLiveCastTask with kind 1 and isRecord 1, page CDerecordDlg
};

// The tab title of a kind ("现场直播", ...); empty for a code that is no kind.
QString TaskKindTitle(int kind);
