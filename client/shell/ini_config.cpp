#include "client/shell/ini_config.h"

#include "platform/ini_store.h"

QString CINIConfig::ReadString(const QString& section, const QString& key) const {
    return platform::GetPrivateProfileString(section, key, QString(), path, 260);
}

bool CINIConfig::WriteString(const QString& section, const QString& key, const QString& value) const {
    return platform::WritePrivateProfileString(section, key, value.isNull() ? QStringLiteral("") : value, path);
}

bool CINIConfig::WriteInt(const QString& section, const QString& key, int value) const {
    return WriteString(section, key, QString::number(value));
}

int CINIConfig::ReadInt(const QString& section, const QString& key, int defaultValue) const {
    return platform::GetPrivateProfileInt(section, key, defaultValue, path);
}
