#pragma once
// The folder that receives recordings, and its free space.

#include <QString>

// PCPATH as the settings page takes it: empty → program folder + "TVRecord", set but
// missing → program folder + "save", existing → itself; a chosen folder that is missing is
// created.
QString ChooseRecordingFolder(const QString& pcPath, const QString& programFolder);

// Free bytes available to this user on the folder's file system, in whole MiB (0 when
// the folder cannot be asked).
long long FreeSpaceMegabytes(const QString& folder);
