#pragma once
// The recorder's own copies of the device functions: device records that know their
// media kind, and the property-page call that says when a device cannot be configured.

#include <QList>
#include <QString>

class QWidget;

inline constexpr int kDeviceAudio = 1;
inline constexpr int kDeviceVideo = 2;

struct RecorderDevice {
    QString name;
    int kind = 0;  // kDeviceAudio or kDeviceVideo
};

struct RecorderDeviceLists {
    QList<RecorderDevice> video;
    QList<RecorderDevice> audio;
};

// The capture devices of the encoder.
RecorderDeviceLists ListRecorderDevices();

// Opens the property pages of the named device, owned by `parent`. When the device was
// found but its pages could not be shown: message "该设备无法被配置!" (caption "提示")
// and -1; otherwise the result of the encoder library's call.
int ConfigureRecorderDevice(const QString& name, QWidget* parent, bool audio);
