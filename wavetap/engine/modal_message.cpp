#include "engine/modal_message.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <cstdio>

namespace wavetap::engine {

void ShowModalMessage(QObject* owner, const QString& text, const QString& caption) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        return;
    }
    QPointer<QWidget> parent = qobject_cast<QWidget*>(owner);
    const auto show = [parent, text, caption] {
        QMessageBox::warning(parent.data(), caption, text, QMessageBox::Ok);
    };
    if (QThread::currentThread() == app->thread())
        show();
    else
        QMetaObject::invokeMethod(app, show, Qt::BlockingQueuedConnection);
}

}  // namespace wavetap::engine
