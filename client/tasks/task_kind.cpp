#include "client/tasks/task_kind.h"

QString TaskKindTitle(int kind) {
    switch (kind) {
    case TASK_SCHEDULED_RECORD:
    case TASK_LOCAL_RECORD:
        return QStringLiteral("本地录制");
    case TASK_LIVECAST:
        return QStringLiteral("现场直播");
    case TASK_FILECAST:
        return QStringLiteral("文件直播");
    case TASK_FILEUPLOAD:
        return QStringLiteral("文件上传");
    case TASK_FILEDRM:
        return QStringLiteral("文件加密");
    case TASK_MULTICAST:
        return QStringLiteral("混排直播");
    case TASK_MONITOR:
        return QStringLiteral("家庭直播");
    default:
        return QString();
    }
}
