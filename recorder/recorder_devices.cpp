#include "recorder/recorder_devices.h"

#include "client/shell/message_box.h"
#include "wavetap/devices.h"

#include <QWidget>

RecorderDeviceLists ListRecorderDevices() {
    QList<CDevice*> video;
    QList<CDevice*> audio;
    GetAllDevices(&video, &audio);
    RecorderDeviceLists lists;
    for (CDevice* device : video) lists.video.append({device->m_strName, kDeviceVideo});
    for (CDevice* device : audio) lists.audio.append({device->m_strName, kDeviceAudio});
    qDeleteAll(video);
    qDeleteAll(audio);
    return lists;
}

int ConfigureRecorderDevice(const QString& name, QWidget* parent, bool audio) {
    const std::int32_t hr = CallFilter(name, parent, audio ? 1 : 0);
    if (hr < 0) {
        ShowMessage(QStringLiteral("该设备无法被配置!"), QStringLiteral("提示"), MsgIcon::Warning, parent);
        return -1;
    }
    return hr;
}
