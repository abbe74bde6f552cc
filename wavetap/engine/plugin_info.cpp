#include "engine/plugin_info.h"

#include "engine/device_catalog.h"

namespace wavetap::engine {

const PluginInfo* PluginInfoManager::Item(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return &plugins_[static_cast<size_t>(index)];
}

PluginInfoManager SourcePluginManager() {
    PluginInfo device{"DEVICE", -1, {{"Default_Audio_Device", kMediaAudio}, {"Default_Video_Device", kMediaVideo}}};
    for (const DeviceInfo& info : ListDevices()) device.items.push_back({info.name, info.mediaFlags});
    PluginInfo screen{"ScreenCap", -1, {{"ScreenCapture1", kMediaVideo}}};
    PluginInfo file{"File", 0, {}};
    return PluginInfoManager({std::move(device), std::move(screen), std::move(file)});
}

PluginInfoManager DeviceControlPluginManager() {
    PluginInfo control{"DEVICECONTROL", -1, {}};
    for (const DeviceInfo& info : ListDevices())
        if (info.deviceControl) control.items.push_back({info.name, info.mediaFlags});
    return PluginInfoManager({std::move(control)});
}

}  // namespace wavetap::engine
