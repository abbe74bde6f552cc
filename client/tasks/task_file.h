#pragma once
// Task configuration files: INI files holding a file broadcast (.tft) or a multi-source
// broadcast (.tmt), saved from a running task's page and imported by the wizards.
// Section "TASK" holds the settings; a .tft also has section "FILELIST" with "filecount"
// and one key per file ("0", "1", ...). Scenes and server key material are not written.

#include "client/tasks/task_records.h"

#include <QString>

// "tft" for a file broadcast, "tmt" for a multi-source broadcast, empty for other kinds.
QString TaskFileExtension(int kind);
// The file dialogs' filter for the kind, e.g. "文件直播任务配置文件 (*.tft)".
QString TaskFileFilter(int kind);
// The save dialog's proposal: local time "%Y%m%d%H%M%S" + "." + extension.
QString DefaultTaskFileName(int kind);

// Writes the whole file anew (the previous file stays as it was when writing fails).
bool WriteTaskFile(const QString& path, const CFileCastTask& task);
bool WriteTaskFile(const QString& path, const CMultiCastTask& task);

// Fills the record's settings from the file; missing keys read as 0 or empty, a missing
// FILELIST as an empty list, values no page can show as their defaults. serverRecord gets
// id from "mserverId" and mediaName from "mserverName". False when the file cannot be read
// (the record is then filled as from an empty file).
bool ReadTaskFile(const QString& path, CFileCastTask& task);
bool ReadTaskFile(const QString& path, CMultiCastTask& task);
