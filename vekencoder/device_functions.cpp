#include "vekencoder/vekencoder.h"

#include "engine/device_property_pages.h"
#include "engine/modal_message.h"
#include "engine/plugin_info.h"

using namespace wavetap::engine;

std::int32_t GetAllDevice(QStringList& audioDevices, QStringList& videoDevices) {
    const PluginInfoManager sources = SourcePluginManager();
    for (int i = 0; i < sources.Count(); ++i) {
        const PluginInfo* plugin = sources.Item(i);
        if (plugin->schemeType.compare("DEVICE", Qt::CaseInsensitive) != 0 || plugin->resources != -1) continue;
        for (const PluginResource& resource : plugin->items) {
            if (resource.mediaFlags == kMediaAudio) {
                if (resource.name != "Default_Audio_Device") audioDevices << resource.name;
            } else if (resource.name != "Default_Video_Device") {
                videoDevices << resource.name;
            }
        }
    }
    const PluginInfoManager controls = DeviceControlPluginManager();
    for (int i = 0; i < controls.Count(); ++i) {
        const PluginInfo* plugin = controls.Item(i);
        if (plugin->schemeType.compare("DEVICECONTROL", Qt::CaseInsensitive) != 0) continue;
        for (const PluginResource& resource : plugin->items) {
            if (resource.mediaFlags != (kMediaAudio | kMediaVideo)) continue;
            audioDevices << resource.name;
            videoDevices << resource.name;
        }
    }
    return S_OK;
}

std::int32_t CallFilter(QString deviceName, QObject* parent, int audio) {
    auto device = FindDeviceForMedium(deviceName, audio ? kMediaAudio : kMediaVideo);
    if (!device) return S_FALSE;
    const HRESULT hr = ShowDevicePropertyPages(*device, parent);
    if (hr != E_NOINTERFACE && hr != E_FAIL) return hr;
    ShowModalMessage(parent, "该设备无法被配置!", "提示");
    return -1;
}
