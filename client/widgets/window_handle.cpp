#include "client/widgets/window_handle.h"

CWindowHandle::CWindowHandle(QObject* owner, Handler handler) : MessageTarget(owner), handler_(std::move(handler)) {}

platform::LRESULT CWindowHandle::OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam) {
    return handler_ ? handler_(msg, wParam, lParam) : 0;
}
