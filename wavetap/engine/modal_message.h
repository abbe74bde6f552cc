#pragma once
// A modal message box owned by a window, shown on the GUI thread whatever thread asks;
// without a GUI (command-line use) the text goes to standard error.

#include <QObject>
#include <QString>

namespace wavetap::engine {

void ShowModalMessage(QObject* owner, const QString& text, const QString& caption);

}  // namespace wavetap::engine
