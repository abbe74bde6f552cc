#pragma once

#include <QString>

// MD5 of the password's bytes in the system ANSI code page (GBK), as 32 lower-case
// hexadecimal digits: the digest the platform signs in with.
QString PasswordDigest(const QString& password);
