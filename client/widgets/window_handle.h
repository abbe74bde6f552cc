#pragma once
// The window handle of a widget: the object window messages are posted and sent to.
// A widget cannot itself be a message target (both are QObjects), so it owns one of
// these, which hands every message to the widget's handler on the widget's thread.

#include "platform/messages.h"

#include <functional>

class CWindowHandle : public platform::MessageTarget {
public:
    using Handler = std::function<platform::LRESULT(unsigned msg, platform::WPARAM, platform::LPARAM)>;

    // Lives and dies with `owner`.
    CWindowHandle(QObject* owner, Handler handler);

protected:
    platform::LRESULT OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam) override;

private:
    Handler handler_;
};
