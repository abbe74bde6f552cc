#include "client/tasks/save_path_dialog.h"

#include "client/shell/message_box.h"

#include <QFileDialog>
#include <QFileInfo>

QString AskSavePath(QWidget* parent, const SavePathRequest& request) {
    QString proposal = request.proposal;
    for (;;) {
        // Our own replace question stands in for the dialog's.
        QString path = QFileDialog::getSaveFileName(parent, request.title, proposal, request.filter, nullptr,
                                                    QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
        if (path.isEmpty()) return QString();
        if (!request.extension.isEmpty() &&
            QFileInfo(path).suffix().compare(request.extension, Qt::CaseInsensitive) != 0)
            path += u'.' + request.extension;
        if (!QFileInfo::exists(path)) return path;
        if (AskMessage(request.question, MsgButtons::OkCancel, MsgIcon::Question, request.questionCaption, parent) ==
            IDOK)
            return path;
        proposal = path;
    }
}
