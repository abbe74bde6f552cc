#include "client/tasks/task_ini_values.h"

#include <QDateTime>

namespace task_ini {

int ReadFlag(const CINIConfig& ini, const QString& section, const QString& key) {
    return ini.ReadInt(section, key, 0) != 0 ? 1 : 0;
}

int ReadStreamType(const CINIConfig& ini, const QString& section, const QString& key) {
    return ini.ReadInt(section, key, 0) == 1 ? 1 : 0;
}

QString ReadTime(const CINIConfig& ini, const QString& section, const QString& key) {
    const QString text = ini.ReadString(section, key);
    const QDateTime parsed = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return parsed.isValid() ? text : QString();
}

void ReadTimedSwitch(const CINIConfig& ini, const QString& section, const QString& flagKey,
                     const QString& timeKey, int& flag, QString& time) {
    time = ReadTime(ini, section, timeKey);
    flag = ReadFlag(ini, section, flagKey);
    if (flag && time.isEmpty()) flag = 0;
}

}  // namespace task_ini
