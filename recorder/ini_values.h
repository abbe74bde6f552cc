#pragma once
// Single values of the recorder's INI files: a missing key reads as an empty text or 0,
// and a null text is written as an empty value (a null one would delete the key).

#include "platform/ini_store.h"

inline QString ReadIniText(const QString& section, const QString& key, const QString& file) {
    return platform::GetPrivateProfileString(section, key, QString(), file);
}

inline int ReadIniInt(const QString& section, const QString& key, const QString& file) {
    return platform::GetPrivateProfileInt(section, key, 0, file);
}

inline void WriteIniText(const QString& section, const QString& key, const QString& value, const QString& file) {
    platform::WritePrivateProfileString(section, key, value.isNull() ? QStringLiteral("") : value, file);
}
