#include "client/shell/ini_config.h"

#include "platform/ini_store.h"

QString CINIConfig::ReadString(const QString& section, const QString& key) const {
    return platform::GetPrivateProfileString(section, key, QString(), path, 260);
}

void CINIConfig::WriteString(const QString& section, const QString& key, const QString& value) const {
    platform::WritePrivateProfileString(section, key, value.isNull() ? QStringLiteral("") : value, path);
}

void CINIConfig::WriteInt(const QString& section, const QString& key, int value) const {
    WriteString(section, key, QString::number(value));
}

int CINIConfig::ReadInt(const QString& section, const QString& key, int defaultValue) const {
    return platform::GetPrivateProfileInt(section, key, defaultValue, path);
}
