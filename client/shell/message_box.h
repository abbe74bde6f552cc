#pragma once
// Modal message boxes with the program's title, as the operator sees every failure.

#include <QString>

class QWidget;

void ShowMessage(const QString& text, QWidget* parent = nullptr);
