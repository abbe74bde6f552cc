#pragma once
// Capture devices the engine can open by name after "DEVICE://": those GStreamer's
// device monitor finds (V4L2 cameras, PulseAudio/PipeWire/ALSA inputs) and those
// configured in "devices.ini" beside the program:
//   [Test Camera]
//   media=2                          ; 1 audio, 2 video, 3 both
//   source=videotestsrc is-live=true ; a GStreamer source description
//   video=... / audio=...            ; per-medium descriptions for a device with both
//   control=1                        ; optional: also offered by the device-control plug-in

#include <QString>

#include <memory>
#include <vector>

typedef struct _GstElement GstElement;

namespace wavetap::engine {

inline constexpr int kMediaAudio = 1;
inline constexpr int kMediaVideo = 2;

struct DeviceInfo {
    QString name;
    int mediaFlags = 0;
    bool deviceControl = false;
    // Configured devices: the source descriptions per medium; empty for monitored devices.
    QString videoDescription;
    QString audioDescription;
    // Monitored devices: the V4L2 node of a camera, when known.
    QString v4l2Path;
    // Opaque handle of a monitored device (a GstDevice), kept alive with the entry.
    std::shared_ptr<void> device;
};

// Every device, monitored ones first; configured names shadow nothing and may repeat.
std::vector<DeviceInfo> ListDevices();

// The device of that name (exact match), or nullptr.
std::unique_ptr<DeviceInfo> FindDevice(const QString& name);

// A new source element (floating reference) producing the given medium of the device,
// or nullptr when it cannot be made.
GstElement* CreateDeviceSource(const DeviceInfo& device, int medium);

// The file configured devices are read from.
QString ConfiguredDevicesFile();

}  // namespace wavetap::engine
