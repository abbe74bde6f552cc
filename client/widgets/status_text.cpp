#include "client/widgets/status_text.h"

CStatusText::CStatusText(QWidget* parent) : QLabel(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

void CStatusText::SetText(const QString& text) {
    setText(text);
    setAccessibleDescription(text);
    // The parent's area behind the text is painted again with it.
    if (parentWidget()) parentWidget()->update(geometry());
    emit shown(text);
}
