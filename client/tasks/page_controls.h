#pragma once
// Small makers for the controls the encoder pages place in design coordinates: each
// creates the control on `page`, places and anchors it (both corners to `anchor`), and
// gives numbered controls their controlId and accessible name.

#include "client/widgets/resizable_page.h"

#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

QLabel* AddLabel(CResizablePage* page, const QString& text, const QRect& rect, Anchor anchor = kTopLeft);
QPushButton* AddButton(CResizablePage* page, const QString& text, int id, const QRect& rect,
                       Anchor anchor = kTopRight);
QComboBox* AddCombo(CResizablePage* page, int id, const QString& name, const QRect& rect, Anchor anchor = kTopRight);
QLineEdit* AddEdit(CResizablePage* page, int id, const QString& name, const QRect& rect, bool readOnly,
                   Anchor anchor = kTopRight);
// The black window the encoder shows its preview in; it widens with the page.
QWidget* AddPreviewWindow(CResizablePage* page, int id, const QRect& rect);
