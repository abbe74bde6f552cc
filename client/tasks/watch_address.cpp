#include "client/tasks/watch_address.h"

#include "client/shell/message_box.h"
#include "platform/paths.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

void PlayWatchAddress(const QString& address, const QString& emptyMessage, QWidget* parent) {
    const QString text = address.trimmed();
    if (text.isEmpty()) {
        ShowMessage(emptyMessage, parent);
        return;
    }
    platform::ShellOpen(text);
}

void BindWatchAddress(QLineEdit* field, QPushButton* preview, QPushButton* copy, const QString& emptyMessage) {
    QObject::connect(preview, &QPushButton::clicked, field,
                     [field, emptyMessage] { PlayWatchAddress(field->text(), emptyMessage, field->window()); });
    if (!copy) return;
    QObject::connect(copy, &QPushButton::clicked, field, [field, copy] {
        QApplication::clipboard()->setText(field->text());
        const QString caption = copy->text();
        if (caption == kCopiedCaption) return;
        copy->setText(kCopiedCaption);
        QTimer::singleShot(1500, copy, [button = QPointer<QPushButton>(copy), caption] {
            if (button) button->setText(caption);
        });
    });
}
