#pragma once
// The updater's message boxes, with the buttons labelled as on a Chinese desktop.

#include <QString>

class QWidget;

namespace upkeep {

// A Yes/No question ("是"/"否") with a question icon; true for Yes.
bool AskYesNo(const QString& text, const QString& caption, QWidget* parent);

// An error box with one "确定" button.
void ShowError(const QString& text, QWidget* parent);

}  // namespace upkeep
