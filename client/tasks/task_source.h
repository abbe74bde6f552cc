#pragma once
// One scene of a multi-source broadcast: a media file or a pair of capture devices,
// shown through its own encoder source group.

#include <QString>

// What plays after a file scene's file ends.
enum SceneRollMode : int {
    ROLL_REPEAT_SCENE = 0,  // "循环播放该场景"
    ROLL_NEXT_SCENE = 1,    // "自动滚动到下一场景"
    ROLL_FIRST_SCENE = 2,   // "自动滚动到第一个场景"
};

class CTSource {
public:
    // A file scene: isFile 1, groupName "SG_FILE_" + local "%H%M%S" + number.
    CTSource(const QString& sceneName, const QString& filePath, int rollMode);
    // A device scene: isFile 0, groupName "SG_LIVE_" + local "%H%M%S" + number.
    CTSource(const QString& sceneName, const QString& videoDevice, const QString& audioDevice, int rollMode);
    virtual ~CTSource() = default;

    QString sceneName;
    QString groupName;  // the encoder's source-group name
    int isFile = 0;
    QString videoDevice;
    QString audioDevice;
    QString filePath;
    int rollMode = ROLL_REPEAT_SCENE;
};

// The roll-mode text shown for a file scene; empty for an unknown mode.
QString SceneRollModeText(int rollMode);
