#pragma once
// WM_TASKLIST (1324): what pages and the keep-alive thread tell the task list. wParam is
// the code; for codes 1, 2, 3, 7 and 8 lParam points to a QString (a taskId or a device
// name) that must stay valid until the message is handled: send it, or post a string
// that lives as long as the task's record.

#include "platform/messages.h"

#include <QString>

inline constexpr unsigned WM_TASKLIST = platform::WM_USER + 300;  // 1324

enum TaskListCode : int {
    kTaskClosed = 1,        // close the task whose taskId is the string
    kTaskStarted = 2,       // runState = 1
    kTaskStopped = 3,       // runState = 0
    kConnectionLost = 4,    // keep-alive: twenty failures in a row
    kAccountRefreshed = 5,  // keep-alive: the account data is fresh
    kDeviceInUse = 7,       // the video device named by the string is taken
    kDeviceFree = 8,        // the video device named by the string is free again
};

// lParam for a string argument, and back.
inline platform::LPARAM StringParam(const QString* text) { return reinterpret_cast<platform::LPARAM>(text); }
inline QString StringOfParam(platform::LPARAM lParam) {
    const auto* text = reinterpret_cast<const QString*>(lParam);
    return text ? *text : QString();
}
