#include "client/widgets/resizable_page.h"

#include <QResizeEvent>

#include <algorithm>

CResizablePage::CResizablePage(const QSize& designSize, QWidget* parent) : QWidget(parent), designSize_(designSize) {
    resize(designSize);
}

QPoint CResizablePage::PointOf(Anchor anchor, const QSize& size) {
    return {size.width() * anchor.x / 100, size.height() * anchor.y / 100};
}

void CResizablePage::AddAnchor(QWidget* control, Anchor topLeft, Anchor bottomRight) {
    const QRect design = control->geometry();
    Anchored entry{control, topLeft, bottomRight, design.topLeft() - PointOf(topLeft, designSize_),
                   design.bottomRight() + QPoint(1, 1) - PointOf(bottomRight, designSize_)};
    anchored_.push_back(entry);
    Arrange();
}

void CResizablePage::Place(QWidget* control, const QRect& designRect, Anchor topLeft, Anchor bottomRight) {
    control->setParent(this);
    control->setGeometry(designRect);
    AddAnchor(control, topLeft, bottomRight);
}

QSize CResizablePage::minimumSizeHint() const {
    return {std::min(designSize_.width(), 200), std::min(designSize_.height(), 150)};
}

void CResizablePage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Arrange();
}

void CResizablePage::Arrange() {
    // Below the design size nothing shrinks: the controls keep their design places.
    const QSize area = size().expandedTo(designSize_);
    std::erase_if(anchored_, [](const Anchored& a) { return a.control.isNull(); });
    for (const Anchored& a : anchored_) {
        const QPoint topLeft = PointOf(a.topLeft, area) + a.topLeftOffset;
        const QPoint bottomRight = PointOf(a.bottomRight, area) + a.bottomRightOffset;
        a.control->setGeometry(QRect(topLeft, bottomRight - QPoint(1, 1)));
    }
}
