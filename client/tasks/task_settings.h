#pragma once
// The live and local-recording pages' remembered settings: sections "LIVETASK" and
// "RECORDTASK" of configure.ini. Written when the encoder reports it has started, read
// when such a page opens. Missing keys read as 0 or empty.

#include <QString>

// Section "LIVETASK": the live broadcast page's combo texts and boxes.
struct LiveTaskSettings {
    QString videoDevice;
    QString audioDevice;
    QString videoProfile;
    QString mserverName;
    int streamType = 0;
    int isLiveDrm = 0;
    int checklogo = 0;
    QString outputFile;  // empty when the save box is not ticked
};

LiveTaskSettings ReadLiveTaskSettings(const QString& iniPath);
// False when the file could not be written.
bool WriteLiveTaskSettings(const QString& iniPath, const LiveTaskSettings& settings);

// Section "RECORDTASK": the local recording page's settings. Reading fills videoDevice,
// audioDevice, videoProfile, mserverName, streamType, checklogo and outputFile; writing
// stores streamType, checklogo, videoDevice, audioDevice, videoProfile, autoBegin,
// beginTime, autoStop, endTime, isRecord and outputFile.
struct RecordTaskSettings {
    QString videoDevice;
    QString audioDevice;
    QString videoProfile;
    QString mserverName;
    int streamType = 0;
    int checklogo = 0;
    int autoBegin = 0;
    QString beginTime;
    int autoStop = 0;
    QString endTime;
    int isRecord = 0;
    QString outputFile;
};

RecordTaskSettings ReadRecordTaskSettings(const QString& iniPath);
bool WriteRecordTaskSettings(const QString& iniPath, const RecordTaskSettings& settings);
