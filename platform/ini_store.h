#pragma once
// Private-profile INI files with the Windows semantics: section and key names match
// without regard to case, blanks around names and values are trimmed, a value wrapped
// in double quotes loses them on read, a missing file, section or key reads as the
// default. Files may be UTF-16LE with BOM, UTF-8 (with or without BOM) or GBK; writes
// keep the file's encoding and new files are UTF-8. Calls on one file are serialised
// across threads, and a write replaces the file atomically.

#include <QString>
#include <QStringList>

namespace platform {

// Reads a value into a buffer of `bufferChars` characters including the terminator,
// so at most bufferChars - 1 characters come back.
QString GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                                const QString& fileName, int bufferChars = 260);

// Leading blanks, an optional sign, then decimal digits up to the first non-digit;
// `defaultValue` when the key is missing or holds no digits.
int GetPrivateProfileInt(const QString& section, const QString& key, int defaultValue, const QString& fileName);

// Writes `value` under section/key, creating file, section and key as needed.
// A null `key` deletes the whole section; a null `value` deletes the key.
// Returns false when the file cannot be written.
bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& fileName);

// The names of the file's sections in file order (empty for a missing file).
QStringList GetPrivateProfileSectionNames(const QString& fileName);

}  // namespace platform
