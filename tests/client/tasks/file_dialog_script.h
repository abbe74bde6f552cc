#pragma once
// Answers the file dialogs a test makes the program open, as an operator would.

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <QTimer>

// Answers each file dialog that opens with the next entry of `answers`: a file name put into
// the name box and Enter, or an empty entry for Escape. Notes what each dialog showed.
struct FileDialogScript {
    explicit FileDialogScript(QStringList answers) : answers(std::move(answers)) {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            // Dialogs may reuse one address, so each is marked once answered.
            if (!dialog || dialog->property("answered").toBool()) return;
            dialog->setProperty("answered", true);
            titles << dialog->windowTitle();
            proposals << dialog->selectedFiles().value(0);
            filters << dialog->selectedNameFilter();
            const QString answer = this->answers.isEmpty() ? QString() : this->answers.takeFirst();
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            if (answer.isEmpty() || !name) {
                QTest::keyClick(dialog, Qt::Key_Escape);
                return;
            }
            // Set text stands in for typing (key events carry ASCII only).
            name->setText(answer);
            QTest::keyClick(name, Qt::Key_Return);
        });
        timer.start(20);
    }
    QTimer timer;
    QStringList answers;
    QStringList titles, proposals, filters;
};
