#include "client/tasks/task_source.h"

#include "client/tasks/generated_name.h"

CTSource::CTSource(const QString& sceneName, const QString& filePath, int rollMode)
    : sceneName(sceneName),
      groupName(QStringLiteral("SG_FILE_") + TimeAndNumber("%H%M%S")),
      isFile(1),
      filePath(filePath),
      rollMode(rollMode) {}

CTSource::CTSource(const QString& sceneName, const QString& videoDevice, const QString& audioDevice, int rollMode)
    : sceneName(sceneName),
      groupName(QStringLiteral("SG_LIVE_") + TimeAndNumber("%H%M%S")),
      isFile(0),
      videoDevice(videoDevice),
      audioDevice(audioDevice),
      rollMode(rollMode) {}

QString SceneRollModeText(int rollMode) {
    switch (rollMode) {
    case ROLL_REPEAT_SCENE:
        return QStringLiteral("循环播放该场景");
    case ROLL_NEXT_SCENE:
        return QStringLiteral("自动滚动到下一场景");
    case ROLL_FIRST_SCENE:
        return QStringLiteral("自动滚动到第一个场景");
    default:
        return QString();
    }
}
