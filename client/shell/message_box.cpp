#include "client/shell/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QThread>

namespace {

QMutex responderLock;
MessageBoxResponder responder;

QMessageBox::StandardButtons StandardButtonsOf(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::Ok: return QMessageBox::Ok;
    case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    case MsgButtons::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon QtIconOf(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::None: return QMessageBox::NoIcon;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Warning: return QMessageBox::Warning;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Error: return QMessageBox::Critical;
    }
    return QMessageBox::Warning;
}

int ResultOf(QMessageBox::StandardButton button, MsgButtons buttons) {
    switch (button) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Abort: return IDABORT;
    case QMessageBox::Retry: return IDRETRY;
    case QMessageBox::Ignore: return IDIGNORE;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: break;
    }
    // Closed by Escape or the window's close button: what Windows reports for that set.
    switch (buttons) {
    case MsgButtons::Ok: return IDOK;
    case MsgButtons::YesNo: return IDNO;
    case MsgButtons::AbortRetryIgnore: return IDABORT;
    default: return IDCANCEL;
    }
}

int ShowOnThisThread(const MessageBoxRequest& request, QWidget* parent) {
    MessageBoxResponder answer;
    {
        QMutexLocker locker(&responderLock);
        answer = responder;
    }
    if (answer) return answer(request);
    QMessageBox box(QtIconOf(request.icon), request.caption, request.text, StandardButtonsOf(request.buttons),
                    parent);
    box.setObjectName(QStringLiteral("messageBox"));
    if (request.buttons == MsgButtons::AbortRetryIgnore) box.setEscapeButton(QMessageBox::Abort);
    box.exec();
    return ResultOf(box.standardButton(box.clickedButton()), request.buttons);
}

}  // namespace

int AskMessage(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& caption, QWidget* parent) {
    MessageBoxRequest request;
    request.text = text;
    request.caption = caption.isEmpty() ? QApplication::applicationDisplayName() : caption;
    request.buttons = buttons;
    request.icon = icon;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) return ShowOnThisThread(request, parent);
    // From a worker: the user-interface thread shows the box; a parent from that thread stays valid
    // only while it lives, so it is carried as a guarded pointer.
    int result = IDCANCEL;
    QPointer<QWidget> guardedParent(parent);
    QMetaObject::invokeMethod(
        app, [&] { result = ShowOnThisThread(request, guardedParent.data()); }, Qt::BlockingQueuedConnection);
    return result;
}

void ShowMessage(const QString& text, QWidget* parent) {
    AskMessage(text, MsgButtons::Ok, MsgIcon::Warning, QString(), parent);
}

void ShowMessage(const QString& text, const QString& caption, MsgIcon icon, QWidget* parent) {
    AskMessage(text, MsgButtons::Ok, icon, caption, parent);
}

void SetMessageBoxResponder(MessageBoxResponder newResponder) {
    QMutexLocker locker(&responderLock);
    responder = std::move(newResponder);
}
