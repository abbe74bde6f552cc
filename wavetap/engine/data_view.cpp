#include "engine/data_view.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

namespace wavetap::engine {

// Paints the newest frame into a widget from its paint events; lives on the widget's thread.
class ViewPainter : public QObject {
public:
    explicit ViewPainter(QWidget* widget) : widget_(widget) {}

    void SetFrame(const QImage& frame) {
        {
            std::lock_guard lock(mutex_);
            frame_ = frame;
        }
        QMetaObject::invokeMethod(this, [this] {
            if (widget_) widget_->update();
        }, Qt::QueuedConnection);
    }

    QImage Frame() const {
        std::lock_guard lock(mutex_);
        return frame_;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && event->type() == QEvent::Paint) {
            const QImage frame = Frame();
            if (!frame.isNull()) {
                QPainter painter(widget_);
                painter.drawImage(widget_->rect(), frame);
                return true;
            }
        }
        return false;
    }

private:
    QPointer<QWidget> widget_;
    mutable std::mutex mutex_;
    QImage frame_;
};

DataView::DataView() = default;

DataView::~DataView() {
    for (auto& [cookie, stream] : streams_) StopView(cookie);
}

int DataView::NewCookie() {
    std::lock_guard lock(mutex_);
    const int cookie = nextCookie_++;
    streams_[cookie];
    return cookie;
}

HRESULT DataView::SetViewProperties(int cookie, QObject* window) {
    std::lock_guard lock(mutex_);
    auto it = streams_.find(cookie);
    if (it == streams_.end() || !qobject_cast<QWidget*>(window)) return E_INVALIDARG;
    it->second.window = window;
    return S_OK;
}

HRESULT DataView::StartView(int cookie) {
    std::lock_guard lock(mutex_);
    auto it = streams_.find(cookie);
    if (it == streams_.end()) return E_INVALIDARG;
    Stream& stream = it->second;
    auto* widget = qobject_cast<QWidget*>(stream.window.data());
    if (!widget) return E_UNEXPECTED;
    if (stream.painter) return S_OK;
    auto* painter = new ViewPainter(widget);
    painter->moveToThread(widget->thread());
    QMetaObject::invokeMethod(painter, [painter, target = QPointer<QWidget>(widget)] {
        if (target) target->installEventFilter(painter);
    }, Qt::QueuedConnection);
    stream.painter = painter;
    return S_OK;
}

HRESULT DataView::StopView(int cookie) {
    std::lock_guard lock(mutex_);
    auto it = streams_.find(cookie);
    if (it == streams_.end()) return E_INVALIDARG;
    if (ViewPainter* painter = it->second.painter) {
        // Deleting the painter removes it as the widget's event filter; the widget repaints plain.
        QMetaObject::invokeMethod(painter, [painter, target = it->second.window] {
            if (auto* widget = qobject_cast<QWidget*>(target.data())) widget->update();
            delete painter;
        }, Qt::QueuedConnection);
        it->second.painter = nullptr;
    }
    return S_OK;
}

bool DataView::IsRunning(int cookie) const {
    std::lock_guard lock(mutex_);
    auto it = streams_.find(cookie);
    return it != streams_.end() && it->second.painter;
}

void DataView::DeliverFrame(const QImage& frame) {
    std::lock_guard lock(mutex_);
    for (auto& [cookie, stream] : streams_)
        if (stream.painter) stream.painter->SetFrame(frame);
}

}  // namespace wavetap::engine
