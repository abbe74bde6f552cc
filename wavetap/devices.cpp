#include "wavetap/devices.h"

#include "engine/device_property_pages.h"
#include "engine/plugin_info.h"

using namespace wavetap::engine;

namespace {

bool IsDefaultDevice(const QString& name) {
    return name.compare("Default_Video_Device", Qt::CaseInsensitive) == 0 ||
           name.compare("Default_Audio_Device", Qt::CaseInsensitive) == 0;
}

void AppendResources(const PluginInfo& plugin, QList<CDevice*>* video, QList<CDevice*>* audio) {
    for (const PluginResource& resource : plugin.items) {
        if (IsDefaultDevice(resource.name)) continue;
        if (resource.mediaFlags & kMediaAudio)
            audio->append(new CDevice(resource.name));
        else if (resource.mediaFlags & kMediaVideo)
            video->append(new CDevice(resource.name));
    }
}

}  // namespace

int GetAllDevices(QList<CDevice*>* videoDevices, QList<CDevice*>* audioDevices) {
    if (!videoDevices || !audioDevices) return 0;
    const PluginInfoManager sources = SourcePluginManager();
    for (int i = 0; i < sources.Count(); ++i) {
        const PluginInfo* plugin = sources.Item(i);
        if (plugin->schemeType.compare("DEVICE", Qt::CaseInsensitive) == 0 && plugin->resources == -1)
            AppendResources(*plugin, videoDevices, audioDevices);
    }
    const PluginInfoManager controls = DeviceControlPluginManager();
    for (int i = 0; i < controls.Count(); ++i) {
        const PluginInfo* plugin = controls.Item(i);
        if (plugin->schemeType.compare("DEVICECONTROL", Qt::CaseInsensitive) == 0)
            AppendResources(*plugin, videoDevices, audioDevices);
    }
    return 1;
}

std::int32_t CallFilter(QString deviceName, QObject* parent, int audio) {
    if (deviceName.isEmpty()) return 0;
    auto device = FindDeviceForMedium(deviceName, audio ? kMediaAudio : kMediaVideo);
    if (!device) return S_FALSE;
    return ShowDevicePropertyPages(*device, parent);
}

int IsAudioFile(QString path) {
    return QString("mp3|wav|wma").contains(path.right(3).toLower()) ? 1 : 0;
}
