#include "client/tasks/task_file_dialog.h"

#include "client/tasks/save_path_dialog.h"
#include "client/tasks/task_file.h"

#include <QDir>

QString AskTaskFileSavePath(QWidget* parent, int kind, const QString& folder) {
    const QString title = QStringLiteral("保存任务配置文件");
    return AskSavePath(parent, {title, QDir(folder).filePath(DefaultTaskFileName(kind)), TaskFileFilter(kind),
                                TaskFileExtension(kind), QStringLiteral("该配置文件已经存在，是否替换？"), title});
}
