#pragma once
// The command line of castora-drm: a command word, options with values, and files.

#include <QString>
#include <QStringList>

struct ToolArguments {
    QString command;
    QString url;
    QString user;
    QString password;
    QString out;
    QStringList files;
};

// Exit statuses of castora-drm.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;      // a file could not be protected, decrypted or read
inline constexpr int kExitSignIn = 3;      // the service refused the sign-in or could not be reached
inline constexpr int kExitRefused = 4;     // the licence was refused
inline constexpr int kExitNotProtected = 5;
inline constexpr int kExitUsage = 64;

// False with `error` set for an unknown option or an option without its value.
bool ParseToolArguments(const QStringList& arguments, ToolArguments* parsed, QString* error);

extern const char* const kDrmToolUsage;
