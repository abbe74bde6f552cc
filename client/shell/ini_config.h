#pragma once
// INI-file accessor opened on a path, used and dropped; it caches nothing.

#include <QString>

class CINIConfig {
public:
    CINIConfig() = default;
    explicit CINIConfig(const QString& path) : path(path) {}
    virtual ~CINIConfig() = default;

    void SetPath(const QString& newPath) { path = newPath; }

    // The value, or an empty string; at most 259 characters come back.
    QString ReadString(const QString& section, const QString& key) const;
    // Writes the value as it is (callers format it first), creating file, section and key.
    // False when the file could not be written.
    bool WriteString(const QString& section, const QString& key, const QString& value) const;
    // Writes the value in decimal ("%d").
    bool WriteInt(const QString& section, const QString& key, int value) const;
    // Integer settings with the call site's default, by the private-profile rules.
    int ReadInt(const QString& section, const QString& key, int defaultValue) const;

    QString path;
};
