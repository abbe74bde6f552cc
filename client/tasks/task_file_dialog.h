#pragma once
// The save-file dialog a running task's page saves its task configuration file through.

#include <QString>

class QWidget;

// Asks where to save the task file of `kind` (2 or 5), titled "保存任务配置文件" and proposing
// the local time as name in `folder`. An existing file is replaced only after "该配置文件已经
// 存在，是否替换？" is answered OK; Cancel shows the dialog again. Empty when the operator
// cancels the dialog.
QString AskTaskFileSavePath(QWidget* parent, int kind, const QString& folder);

class CFileCastTask;
class CMultiCastTask;

// Asks where to save (in the program folder first) and writes the task file there. A file
// that cannot be written is reported. False when nothing was saved.
bool SaveTaskFile(QWidget* parent, const CFileCastTask& task);
bool SaveTaskFile(QWidget* parent, const CMultiCastTask& task);
