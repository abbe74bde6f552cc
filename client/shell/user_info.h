#pragma once
// The remembered user: user.dat holds one serialised CUserInfo record (schema 1) with the
// user name and the password digest, never the password. Created mode 0600.

#include <QByteArray>
#include <QString>

#include <optional>

struct CUserInfo {
    QString userName;
    QString passwordDigest;

    // The file's bytes: new-class tag FFFF, schema 1, class name "CUserInfo", then the two
    // strings as UTF-16 with their length prefixes.
    QByteArray Serialize() const;
    // The record in `bytes`, or nothing when they are not a complete CUserInfo of schema 1.
    static std::optional<CUserInfo> Parse(const QByteArray& bytes);

    // Reads the file; nothing when it is missing or broken.
    static std::optional<CUserInfo> Load(const QString& path);
    // Creates or replaces the file (mode 0600); false when it cannot be written.
    bool Save(const QString& path) const;
};
