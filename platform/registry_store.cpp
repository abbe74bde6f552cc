#include "platform/registry_store.h"

#include "platform/ini_store.h"
#include "platform/paths.h"

namespace platform {
namespace {

// The default value of a key is stored under "@", as .reg files write it.
QString ValueKey(const QString& valueName) {
    return valueName.isEmpty() ? QStringLiteral("@") : valueName;
}

}  // namespace

QString RegistryFilePath() {
    return GetUserConfigFolder() + QStringLiteral("registry.ini");
}

bool RegistrySetString(const QString& keyPath, const QString& valueName, const QString& value) {
    return WritePrivateProfileString(keyPath, ValueKey(valueName), value.isNull() ? QStringLiteral("") : value,
                                     RegistryFilePath());
}

QString RegistryGetString(const QString& keyPath, const QString& valueName) {
    return GetPrivateProfileString(keyPath, ValueKey(valueName), QString(), RegistryFilePath(), 32768);
}

bool RegistryDeleteValue(const QString& keyPath, const QString& valueName) {
    return WritePrivateProfileString(keyPath, ValueKey(valueName), QString(), RegistryFilePath());
}

bool RegistryDeleteKey(const QString& keyPath) {
    const QString prefix = keyPath + u'\\';
    bool removed = true;
    for (const QString& section : GetPrivateProfileSectionNames(RegistryFilePath())) {
        if (section.compare(keyPath, Qt::CaseInsensitive) == 0 || section.startsWith(prefix, Qt::CaseInsensitive))
            removed = WritePrivateProfileString(section, QString(), QString(), RegistryFilePath()) && removed;
    }
    return removed;
}

bool RegistryKeyExists(const QString& keyPath) {
    for (const QString& section : GetPrivateProfileSectionNames(RegistryFilePath())) {
        if (section.compare(keyPath, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

}  // namespace platform
