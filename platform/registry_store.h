#pragma once
// The per-user registry: key paths and value names as on Windows, kept in
// $XDG_CONFIG_HOME/castora/registry.ini (one section per key path).

#include <QString>

namespace platform {

// An empty value name is the key's default value.
bool RegistrySetString(const QString& keyPath, const QString& valueName, const QString& value);
// Empty when the key or value is missing.
QString RegistryGetString(const QString& keyPath, const QString& valueName);
bool RegistryDeleteValue(const QString& keyPath, const QString& valueName);
// Removes the key with all its values and subkeys; true when nothing of it is left.
bool RegistryDeleteKey(const QString& keyPath);
// True when the key exists (it was given a value, possibly its empty default).
bool RegistryKeyExists(const QString& keyPath);

// The file that holds the store.
QString RegistryFilePath();

}  // namespace platform

namespace platform {

// The key whose default value the live encoder reads as its limit of pull viewers.
inline constexpr const char* kMaxClientConnectionsKey =
    "HKEY_CLASSES_ROOT\\SOFTWARE\\Microsoft\\Windows Media Tools\\Encoder\\MaxClientConnections";

}  // namespace platform
