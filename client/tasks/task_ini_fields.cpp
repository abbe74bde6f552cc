#include "client/tasks/task_ini_fields.h"

#include <QDateTime>

namespace task_ini {

QString ReadText(const CINIConfig& ini, const QString& section, const char* key, Kind kind) {
    const QString text = ini.ReadString(section, QString::fromLatin1(key));
    if (kind != Kind::Time) return text;
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid() ? text : QString();
}

int ReadNumber(const CINIConfig& ini, const QString& section, const char* key, Kind kind) {
    const int value = ini.ReadInt(section, QString::fromLatin1(key), 0);
    switch (kind) {
    case Kind::Flag:
        return value != 0 ? 1 : 0;
    case Kind::StreamType:
        return value == 1 ? 1 : 0;
    default:
        return value;
    }
}

}  // namespace task_ini
