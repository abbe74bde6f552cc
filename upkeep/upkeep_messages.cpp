#include "upkeep/upkeep_messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace upkeep {

bool AskYesNo(const QString& text, const QString& caption, QWidget* parent) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("upkeepQuestion"));
    QPushButton* yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("否"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void ShowError(const QString& text, QWidget* parent) {
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), text, QMessageBox::NoButton,
                    parent);
    box.setObjectName(QStringLiteral("upkeepError"));
    box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.exec();
}

}  // namespace upkeep
