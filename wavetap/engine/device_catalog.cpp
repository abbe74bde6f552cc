#include "engine/device_catalog.h"

#include "engine/gst_setup.h"
#include "platform/paths.h"

#include <QFile>

#include <gst/gst.h>

namespace wavetap::engine {
namespace {

struct IniSection {
    QString name;
    QList<QPair<QString, QString>> entries;
    QString Value(const QString& key) const {
        for (const auto& [k, v] : entries)
            if (k.compare(key, Qt::CaseInsensitive) == 0) return v;
        return {};
    }
};

// Section-ordered reading of a small INI file; values are taken verbatim (a source
// description holds commas and '=' signs that general INI readers would split).
std::vector<IniSection> ReadSections(const QString& path) {
    std::vector<IniSection> sections;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return sections;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            sections.push_back({line.mid(1, line.size() - 2).trimmed(), {}});
            continue;
        }
        const int eq = line.indexOf('=');
        if (eq <= 0 || sections.empty()) continue;
        sections.back().entries.append({line.left(eq).trimmed(), line.mid(eq + 1).trimmed()});
    }
    return sections;
}

void AppendMonitoredDevices(std::vector<DeviceInfo>* out) {
    GstDeviceMonitor* monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(monitor, "Video/Source", nullptr);
    gst_device_monitor_add_filter(monitor, "Audio/Source", nullptr);
    GList* devices = gst_device_monitor_get_devices(monitor);
    for (GList* it = devices; it; it = it->next) {
        GstDevice* device = GST_DEVICE(it->data);
        DeviceInfo info;
        gchar* name = gst_device_get_display_name(device);
        info.name = QString::fromUtf8(name);
        g_free(name);
        if (gst_device_has_classes(device, "Video/Source")) info.mediaFlags |= kMediaVideo;
        if (gst_device_has_classes(device, "Audio/Source")) info.mediaFlags |= kMediaAudio;
        if (GstStructure* props = gst_device_get_properties(device)) {
            for (const char* key : {"api.v4l2.path", "device.path"}) {
                if (const gchar* path = gst_structure_get_string(props, key)) {
                    if (QString::fromUtf8(path).startsWith("/dev/video")) {
                        info.v4l2Path = QString::fromUtf8(path);
                        break;
                    }
                }
            }
            gst_structure_free(props);
        }
        info.device = std::shared_ptr<void>(gst_object_ref(device), [](void* d) { gst_object_unref(d); });
        out->push_back(std::move(info));
    }
    g_list_free_full(devices, gst_object_unref);
    gst_object_unref(monitor);
}

void AppendConfiguredDevices(std::vector<DeviceInfo>* out) {
    for (const IniSection& section : ReadSections(ConfiguredDevicesFile())) {
        DeviceInfo info;
        info.name = section.name;
        info.mediaFlags = section.Value("media").toInt() & (kMediaAudio | kMediaVideo);
        const QString common = section.Value("source");
        info.videoDescription = section.Value("video").isEmpty() ? common : section.Value("video");
        info.audioDescription = section.Value("audio").isEmpty() ? common : section.Value("audio");
        info.deviceControl = section.Value("control").toInt() != 0;
        if (info.name.isEmpty() || info.mediaFlags == 0) continue;
        if ((info.mediaFlags & kMediaVideo) && info.videoDescription.isEmpty()) continue;
        if ((info.mediaFlags & kMediaAudio) && info.audioDescription.isEmpty()) continue;
        out->push_back(std::move(info));
    }
}

}  // namespace

QString ConfiguredDevicesFile() { return platform::GetProgramFolder() + "devices.ini"; }

std::vector<DeviceInfo> ListDevices() {
    EnsureGstreamer();
    std::vector<DeviceInfo> devices;
    AppendMonitoredDevices(&devices);
    AppendConfiguredDevices(&devices);
    return devices;
}

std::unique_ptr<DeviceInfo> FindDevice(const QString& name) {
    for (DeviceInfo& device : ListDevices())
        if (device.name == name) return std::make_unique<DeviceInfo>(std::move(device));
    return nullptr;
}

GstElement* CreateDeviceSource(const DeviceInfo& device, int medium) {
    if ((device.mediaFlags & medium) == 0) return nullptr;
    if (device.device) return gst_device_create_element(static_cast<GstDevice*>(device.device.get()), nullptr);
    GError* error = nullptr;
    const QString& description = medium == kMediaVideo ? device.videoDescription : device.audioDescription;
    GstElement* bin = gst_parse_bin_from_description(description.toUtf8().constData(), TRUE, &error);
    if (error) {
        g_error_free(error);
        if (bin) gst_object_unref(bin);
        return nullptr;
    }
    return bin;
}

}  // namespace wavetap::engine
