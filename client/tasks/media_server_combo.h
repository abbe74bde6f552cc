#pragma once
// The media-server combo of the broadcast pages, and choosing a combo item by its text.

#include <QString>

class QComboBox;

// The account's media servers (each name once); selects `remembered`, else the first.
void FillMediaServerCombo(QComboBox* combo, const QString& remembered);

// Selects the item whose text equals `text` (case-insensitive); false when none does.
bool SelectComboText(QComboBox* combo, const QString& text);
