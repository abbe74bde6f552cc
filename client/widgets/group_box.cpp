#include "client/widgets/group_box.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kRadius = 5;
constexpr int kTitleInset = 10;
}  // namespace

CDrawnGroupBox::CDrawnGroupBox(const QString& title, QWidget* parent) : QWidget(parent), title_(title) {
    setAccessibleName(title);
}

void CDrawnGroupBox::SetTitle(const QString& title) {
    title_ = title;
    setAccessibleName(title);
    update();
}

QRect CDrawnGroupBox::ContentsArea() const {
    const int top = fontMetrics().height() + 4;
    return rect().adjusted(8, top, -8, -8);
}

void CDrawnGroupBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics = fontMetrics();
    const int titleHeight = metrics.height();
    const QRectF frame = QRectF(rect()).adjusted(0.5, titleHeight / 2.0, -0.5, -0.5);
    const int titleWidth = title_.isEmpty() ? 0 : metrics.horizontalAdvance(title_) + 8;

    // The outline leaves a gap in the top edge for the title.
    QPainterPath outline;
    outline.addRoundedRect(frame, kRadius, kRadius);
    painter.save();
    if (titleWidth > 0) {
        QPainterPath gap;
        gap.addRect(QRectF(kTitleInset, 0, titleWidth, titleHeight));
        QPainterPath all;
        all.addRect(outline.boundingRect().adjusted(-2, -titleHeight, 2, 2));
        painter.setClipPath(all.subtracted(gap));
    }
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
    painter.restore();

    if (titleWidth > 0) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(kTitleInset + 4, 0, titleWidth, titleHeight), Qt::AlignLeft | Qt::AlignVCenter, title_);
    }
}
