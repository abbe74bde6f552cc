#include "client/tasks/task_records.h"

#include "client/tasks/generated_name.h"

CBaseTask::CBaseTask(int kind) : taskId(QStringLiteral("TASK_") + TimeAndNumber("%Y%m%d%H%M%S")), kind(kind) {}

CLiveCastTask::CLiveCastTask() : CBaseTask(TASK_LIVECAST) {}

CMonitorTask::CMonitorTask() { kind = TASK_MONITOR; }

CFileCastTask::CFileCastTask() : CBaseTask(TASK_FILECAST) {}

CMultiCastTask::CMultiCastTask() : CBaseTask(TASK_MULTICAST) {}

CFileUploadTask::CFileUploadTask() : CBaseTask(TASK_FILEUPLOAD) {}

CFileDrmTask::CFileDrmTask() : CBaseTask(TASK_FILEDRM) {}
