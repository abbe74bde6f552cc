#pragma once
// The encoder's plug-in managers as the device lists read them: each plug-in has a
// scheme type, a resources flag (-1 = true) and named resources with media flags
// (1 audio, 2 video).

#include <QString>

#include <vector>

namespace wavetap::engine {

struct PluginResource {
    QString name;
    int mediaFlags = 0;
};

struct PluginInfo {
    QString schemeType;
    int resources = 0;  // -1 when the plug-in offers resources
    std::vector<PluginResource> items;
};

class PluginInfoManager {
public:
    explicit PluginInfoManager(std::vector<PluginInfo> plugins) : plugins_(std::move(plugins)) {}
    int Count() const { return static_cast<int>(plugins_.size()); }
    const PluginInfo* Item(int index) const;

private:
    std::vector<PluginInfo> plugins_;
};

// Source plug-ins: "DEVICE" (the default devices plus every capture device),
// "ScreenCap" (ScreenCapture1) and "File".
PluginInfoManager SourcePluginManager();

// Device-control plug-ins: "DEVICECONTROL" with the devices configured with control=1.
PluginInfoManager DeviceControlPluginManager();

}  // namespace wavetap::engine
