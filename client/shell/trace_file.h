#pragma once
// Dated trace lines in the ANSI code page, appended to a file under the program folder.
// A file that grows past 2,048,000 bytes is emptied and keeps only the newest line.

#include <QString>

constexpr long long kTraceFileLimit = 2048000;

// fileName is relative to the program folder ("ftp.txt", "log/drm.txt").
void AppendTraceLine(const QString& fileName, const QString& text);

// The two trace files of the client.
inline void AppendFtpTrace(const QString& text) { AppendTraceLine(QStringLiteral("ftp.txt"), text); }
inline void AppendDrmTrace(const QString& text) { AppendTraceLine(QStringLiteral("log/drm.txt"), text); }
