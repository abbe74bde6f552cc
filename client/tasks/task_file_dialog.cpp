#include "client/tasks/task_file_dialog.h"

#include "client/shell/message_box.h"
#include "client/tasks/task_file.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

QString AskTaskFileSavePath(QWidget* parent, int kind, const QString& folder) {
    const QString title = QStringLiteral("保存任务配置文件");
    const QString extension = TaskFileExtension(kind);
    QString proposal = QDir(folder).filePath(DefaultTaskFileName(kind));
    for (;;) {
        // Our own replace question stands in for the dialog's.
        QString path = QFileDialog::getSaveFileName(parent, title, proposal, TaskFileFilter(kind), nullptr,
                                                    QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
        if (path.isEmpty()) return QString();
        if (QFileInfo(path).suffix().compare(extension, Qt::CaseInsensitive) != 0) path += u'.' + extension;
        if (!QFileInfo::exists(path)) return path;
        if (AskMessage(QStringLiteral("该配置文件已经存在，是否替换？"), MsgButtons::OkCancel, MsgIcon::Question, title,
                       parent) == IDOK)
            return path;
        proposal = path;
    }
}
