#pragma once
// The batch encoder library's device functions: the capture device names for the main
// frame's lists, and a device's property pages. The batch jobs are in batch_jobs.h.

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>

#include "vekencoder/export.h"

// Appends the capture device names: audio devices to `audioDevices`, video devices to
// `videoDevices` (a device with both media that a device-control plug-in offers goes to
// both). Always S_OK (0); the lists keep whatever was appended.
VEKENCODER_EXPORT std::int32_t GetAllDevice(QStringList& audioDevices, QStringList& videoDevices);

// Shows the property pages of the device named exactly so, in the audio (audio != 0) or
// video capture category, owned by `parent`: 1 (S_FALSE) when no device has that name;
// -1 after the message "该设备无法被配置!" when it has no pages; the dialog's result when shown.
VEKENCODER_EXPORT std::int32_t CallFilter(QString deviceName, QObject* parent, int audio);

#include "vekencoder/batch_jobs.h"
