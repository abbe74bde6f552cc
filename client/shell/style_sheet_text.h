#pragma once
// Reading the text of a skin: is it a style sheet, and its colours passed through a filter.

#include <QColor>
#include <QString>

#include <functional>

// True when `text` reads as a Qt style sheet: rules of selectors and { name: value; }
// declarations, comments allowed, nothing else.
bool IsStyleSheet(const QString& text);

// The style sheet with every colour it names (hex, rgb(), rgba(), and colour names in the
// values of colour properties) replaced by `filter` of it. Everything else stays as it is.
QString FilterStyleSheetColors(const QString& sheet, const std::function<QColor(const QColor&)>& filter);
