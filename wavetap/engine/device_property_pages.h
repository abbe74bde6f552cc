#pragma once
// A capture device's property pages: a modal Qt dialog with the device's controls (the
// V4L2 controls of a camera), applied as they are changed.

#include "engine/device_catalog.h"
#include "engine/results.h"

#include <QObject>

namespace wavetap::engine {

inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);

// The device named exactly so that offers the medium (kMediaAudio or kMediaVideo), or nullptr.
std::unique_ptr<DeviceInfo> FindDeviceForMedium(const QString& name, int medium);

// Shows the dialog owned by `parent` and returns S_OK when it closes; E_NOINTERFACE
// when the device has no controls (or there is no GUI to show them in).
HRESULT ShowDevicePropertyPages(const DeviceInfo& device, QObject* parent);

}  // namespace wavetap::engine
