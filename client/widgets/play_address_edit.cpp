#include "client/widgets/play_address_edit.h"

#include "platform/paths.h"

#include <QAction>
#include <QKeyEvent>
#include <QStyle>

CPlayAddressEdit::CPlayAddressEdit(QWidget* parent) : QLineEdit(parent) {
    QAction* play = addAction(style()->standardIcon(QStyle::SP_MediaPlay), QLineEdit::TrailingPosition);
    play->setText(QStringLiteral("播放"));
    play->setToolTip(QStringLiteral("播放"));
    play->setObjectName(QStringLiteral("playAction"));
    connect(play, &QAction::triggered, this, &CPlayAddressEdit::Play);
}

bool CPlayAddressEdit::Play() {
    const QString address = text().trimmed();
    if (address.isEmpty()) return false;
    const bool opened = platform::ShellOpen(address);
    emit played(address, opened);
    return opened;
}

void CPlayAddressEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    Play();
}

void CPlayAddressEdit::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && (event->modifiers() & Qt::ControlModifier)) {
        Play();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
