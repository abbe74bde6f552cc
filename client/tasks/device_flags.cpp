#include "client/tasks/device_flags.h"

#include "client/shell/client_globals.h"

bool SetVideoDeviceFlag(const QString& name, int flag) {
    for (DeviceEntry& entry : Globals().videoDevices) {
        if (entry.name == name) {
            entry.flag = flag;
            return true;
        }
    }
    return false;
}
