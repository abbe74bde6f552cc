#pragma once
// The names the recording worker gives the encoder for one show.

#include "recorder/recorder_settings.h"

#include <QDateTime>
#include <QString>

struct RecordingPlan {
    QString groupName;    // "record_1"
    QString videoSource;  // "DEVICE://" + DEVICE_V
    QString audioSource;  // "DEVICE://" + DEVICE_A
    QString profileDir;   // program folder + "Profiles/"
    QString profileName;  // "pal_" + SAVEQUALITY
    bool audioOnly = false;
    QString dateText;     // "%04d-%02d-%02d" of the show's start
    QString fileName;     // "%Y%m%d%H%M%S" + number + ".wmv", or "%Y%m%d%H%M%S.wma" for sound only
    QString outputFile;   // folder + "/" + file name
};

// `number` is the generated number (SeededNumber: 10000 + 0 ... 32767); unused for sound only.
RecordingPlan PlanRecording(const RecordingSettings& settings, const QString& folder, const QString& programFolder,
                            const QDateTime& now, int number);
