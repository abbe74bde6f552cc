#include "client/shell/status_indicators.h"

#include <QGuiApplication>
#include <QLabel>
#include <QTimer>

#include <X11/XKBlib.h>

namespace {

constexpr int kPollMs = 300;

// Bits of the X keyboard indicators: Caps Lock, Num Lock, Scroll Lock.
struct LockState {
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

LockState ReadLocks() {
    LockState state;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return state;
    unsigned int bits = 0;
    if (XkbGetIndicatorState(display, XkbUseCoreKbd, &bits) != Success) return state;
    state.caps = bits & 0x01;
    state.num = bits & 0x02;
    state.scroll = bits & 0x04;
    return state;
}

QLabel* Indicator(const QString& text, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(text) + 12);
    label->setAccessibleName(text);
    return label;
}

}  // namespace

CStatusIndicators::CStatusIndicators(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("statusBar"));
    message_ = new QLabel(QStringLiteral("就绪"), this);
    addWidget(message_, 1);
    caps_ = Indicator(QStringLiteral("CAP"), this);
    num_ = Indicator(QStringLiteral("NUM"), this);
    scroll_ = Indicator(QStringLiteral("SCRL"), this);
    addPermanentWidget(caps_);
    addPermanentWidget(num_);
    addPermanentWidget(scroll_);
    poll_ = new QTimer(this);
    connect(poll_, &QTimer::timeout, this, &CStatusIndicators::Refresh);
    poll_->start(kPollMs);
    Refresh();
}

QStringList CStatusIndicators::PaneTexts() const {
    return {message_->text(), caps_->text(), num_->text(), scroll_->text()};
}

void CStatusIndicators::Refresh() {
    const LockState locks = ReadLocks();
    caps_->setText(locks.caps ? QStringLiteral("CAP") : QString());
    num_->setText(locks.num ? QStringLiteral("NUM") : QString());
    scroll_->setText(locks.scroll ? QStringLiteral("SCRL") : QString());
}
