#include "upkeep/download_animation.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimerEvent>

#include <cmath>

namespace {

constexpr int kFrames = 20;
constexpr int kFrameMs = 70;

void DrawGlobe(QPainter& p, const QRectF& r) {
    p.setPen(QPen(QColor(30, 90, 160), 1.5));
    p.setBrush(QColor(120, 180, 235));
    p.drawEllipse(r);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(r.adjusted(r.width() * 0.3, 0, -r.width() * 0.3, 0));
    p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
}

void DrawFolder(QPainter& p, const QRectF& r) {
    p.setPen(QPen(QColor(150, 110, 20), 1.5));
    p.setBrush(QColor(245, 200, 80));
    QPainterPath folder;
    folder.moveTo(r.left(), r.top() + 6);
    folder.lineTo(r.left() + r.width() * 0.4, r.top() + 6);
    folder.lineTo(r.left() + r.width() * 0.5, r.top());
    folder.lineTo(r.right(), r.top());
    folder.lineTo(r.right(), r.bottom());
    folder.lineTo(r.left(), r.bottom());
    folder.closeSubpath();
    p.drawPath(folder);
}

void DrawPage(QPainter& p, const QPointF& centre) {
    const QRectF page(centre.x() - 8, centre.y() - 10, 16, 20);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(page);
    for (int line = 0; line < 3; ++line) {
        const double y = page.top() + 5 + line * 5;
        p.drawLine(QPointF(page.left() + 3, y), QPointF(page.right() - 3, y));
    }
}

}  // namespace

CDownloadAnimation::CDownloadAnimation(QWidget* parent) : QWidget(parent) {
    setMinimumSize(sizeHint());
}

void CDownloadAnimation::Start() {
    timer_.start(kFrameMs, this);
}

void CDownloadAnimation::Stop() {
    timer_.stop();
}

void CDownloadAnimation::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) return QWidget::timerEvent(event);
    frame_ = (frame_ + 1) % kFrames;
    update();
}

void CDownloadAnimation::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double h = height();
    const QRectF globe(12, h / 2 - 20, 40, 40);
    const QRectF folder(width() - 60, h / 2 - 16, 48, 34);
    DrawGlobe(p, globe);
    DrawFolder(p, folder);
    // The page travels on an arc from the globe to the folder.
    const double t = static_cast<double>(frame_) / (kFrames - 1);
    const double x = globe.right() + 10 + t * (folder.left() - globe.right() - 20);
    const double y = h / 2 - std::sin(t * M_PI) * (h / 2 - 12);
    DrawPage(p, QPointF(x, y));
}
