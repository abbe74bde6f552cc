#include "client/shell/message_box.h"

#include <QApplication>
#include <QMessageBox>

void ShowMessage(const QString& text, QWidget* parent) {
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
}
