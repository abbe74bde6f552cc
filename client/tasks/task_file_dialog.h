#pragma once
// The save-file dialog a running task's page saves its task configuration file through.

#include <QString>

class QWidget;

// Asks where to save the task file of `kind` (2 or 5), titled "保存任务配置文件" and proposing
// the local time as name in `folder`. An existing file is replaced only after "该配置文件已经
// 存在，是否替换？" is answered OK; Cancel shows the dialog again. Empty when the operator
// cancels the dialog.
QString AskTaskFileSavePath(QWidget* parent, int kind, const QString& folder);
