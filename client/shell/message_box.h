#pragma once
// Modal message boxes: every box the program shows goes through here. A box asked for on a
// worker thread is shown on the user-interface thread while the worker waits for the answer.
// Tests answer boxes through SetMessageBoxResponder instead of clicking real ones.

#include <QString>

#include <functional>

class QWidget;

// The button sets the pages use.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class MsgIcon { None, Information, Warning, Question, Error };

// The button pressed, numbered as the Windows message box numbers them.
enum MsgResult { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

struct MessageBoxRequest {
    QString text;
    QString caption;  // the application's display name when none was given
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::Warning;
};

// Shows a modal box and returns the button pressed. An empty caption means the program's name.
int AskMessage(const QString& text, MsgButtons buttons, MsgIcon icon = MsgIcon::Question,
               const QString& caption = QString(), QWidget* parent = nullptr);

// An OK box with a warning icon.
void ShowMessage(const QString& text, QWidget* parent = nullptr);
// An OK box with the given caption and icon.
void ShowMessage(const QString& text, const QString& caption, MsgIcon icon, QWidget* parent = nullptr);

// While a responder is set, no box is shown: each request goes to the responder (on the
// user-interface thread), whose return value is the button pressed. Pass nullptr to clear.
using MessageBoxResponder = std::function<int(const MessageBoxRequest&)>;
void SetMessageBoxResponder(MessageBoxResponder responder);
