#pragma once
// Reading task settings back from INI files that anyone may have edited: values a page
// could not show are brought back to what the page offers.

#include "client/shell/ini_config.h"

#include <QString>

namespace task_ini {

// A yes/no setting: anything but 0 is 1.
int ReadFlag(const CINIConfig& ini, const QString& section, const QString& key);

// The stream type: 1 audio only; anything else is 0, audio and video.
int ReadStreamType(const CINIConfig& ini, const QString& section, const QString& key);

// A "%Y-%m-%d %H:%M:%S" time; empty when the text is no such time.
QString ReadTime(const CINIConfig& ini, const QString& section, const QString& key);

// The automatic start or stop: its flag and time, or off with no time when the file's time
// is no time (otherwise an empty time would compare as long past and fire at once).
void ReadTimedSwitch(const CINIConfig& ini, const QString& section, const QString& flagKey,
                     const QString& timeKey, int& flag, QString& time);

}  // namespace task_ini
