#include "client/tasks/task_file_dialog.h"

#include "client/shell/client_globals.h"
#include "client/shell/message_box.h"
#include "client/tasks/save_path_dialog.h"
#include "client/tasks/task_file.h"

#include <QDir>

namespace {

template <class Task>
bool SaveAs(QWidget* parent, const Task& task) {
    const QString path = AskTaskFileSavePath(parent, task.kind, Globals().programFolder);
    if (path.isEmpty()) return false;
    if (WriteTaskFile(path, task)) return true;
    ShowMessage(QStringLiteral("保存任务配置文件失败！"), parent);
    return false;
}

}  // namespace

QString AskTaskFileSavePath(QWidget* parent, int kind, const QString& folder) {
    const QString title = QStringLiteral("保存任务配置文件");
    return AskSavePath(parent, {title, QDir(folder).filePath(DefaultTaskFileName(kind)), TaskFileFilter(kind),
                                TaskFileExtension(kind), QStringLiteral("该配置文件已经存在，是否替换？"), title});
}

bool SaveTaskFile(QWidget* parent, const CFileCastTask& task) { return SaveAs(parent, task); }
bool SaveTaskFile(QWidget* parent, const CMultiCastTask& task) { return SaveAs(parent, task); }
