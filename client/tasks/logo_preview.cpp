#include "client/tasks/logo_preview.h"

#include "platform/logo_file.h"

#include <QPainter>

LogoPreview::LogoPreview(QWidget* parent) : QWidget(parent) {}

void LogoPreview::SetBits(const QByteArray& bits) {
    picture = QImage();
    if (const auto info = platform::ParseBitmapInfo(bits); info && platform::BitmapPixelBytes(*info) >= 0)
        picture = QImage::fromData(platform::BmpFileFromBits(bits, info->headerSize), "BMP");
    update();
}

void LogoPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    if (!picture.isNull()) painter.drawImage(rect(), picture);
    painter.setPen(palette().mid().color());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
