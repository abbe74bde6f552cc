#pragma once
// The in-use flags of the shared capture-device lists, kept by the task list only.

#include <QString>

// Sets the flag of the video device named exactly `name` (1 in use, 0 free); false when
// no entry has that name.
bool SetVideoDeviceFlag(const QString& name, int flag);
