#include "client/widgets/image_button.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

CImageButton::CImageButton(const QString& caption, QWidget* parent) : QAbstractButton(parent) {
    setText(caption);
    setAccessibleName(caption);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

void CImageButton::SetImages(const QPixmap& strip) {
    strip_ = strip;
    update();
}

void CImageButton::SetTextColor(const QColor& color) {
    textColor_ = color;
    update();
}

QSize CImageButton::sizeHint() const {
    const QSize caption = fontMetrics().size(Qt::TextShowMnemonic, text());
    const QSize look = strip_.isNull() ? QSize(0, 0) : QSize(strip_.width() / 4, strip_.height());
    return look.expandedTo(QSize(caption.width() + 24, caption.height() + 12));
}

int CImageButton::LookIndex() const {
    if (!isEnabled()) return 3;
    if (isDown()) return 2;
    if (hovered_) return 1;
    return 0;
}

void CImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect area = rect();
    if (!strip_.isNull()) {
        const int lookWidth = strip_.width() / 4;
        painter.drawPixmap(area, strip_, QRect(LookIndex() * lookWidth, 0, lookWidth, strip_.height()));
    } else {
        // Without artwork the button is drawn from the palette, so a tint reaches it too.
        QLinearGradient fill(area.topLeft(), area.bottomLeft());
        const QColor base = palette().color(QPalette::Button);
        fill.setColorAt(0, isDown() ? base.darker(115) : base.lighter(hovered_ ? 115 : 105));
        fill.setColorAt(1, isDown() ? base.darker(105) : base.darker(110));
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(palette().color(QPalette::Mid));
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(area).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    }
    QColor color = textColor_.isValid() ? textColor_ : palette().color(QPalette::ButtonText);
    if (!isEnabled()) color = palette().color(QPalette::Disabled, QPalette::ButtonText);
    painter.setPen(color);
    const QRect textArea = isDown() ? area.translated(1, 1) : area;
    painter.drawText(textArea, Qt::AlignCenter | Qt::TextShowMnemonic, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = area.adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void CImageButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CImageButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}
