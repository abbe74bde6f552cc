#pragma once
// Capture devices of the live encoder: the device lists, a device's property pages and
// the audio-file test.

#include "wavetap/export.h"

#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>

// One capture device: the name the encoder accepts after "DEVICE://".
class WAVETAP_EXPORT CDevice {
public:
    explicit CDevice(QString name) : m_strName(std::move(name)) {}
    virtual ~CDevice() = default;
    QString m_strName;
};

// Appends the encoder's capture devices (callers own and delete them): 1 when the
// enumeration ran to its end, 0 on an early failure. The lists are not emptied first.
WAVETAP_EXPORT int GetAllDevices(QList<CDevice*>* videoDevices, QList<CDevice*>* audioDevices);

// Shows the property pages of the device named exactly so, in the audio (audio != 0) or
// video capture category, owned by `parent`. 0 for an empty name, 1 (S_FALSE) when no
// device has that name, the dialog's result when shown, a failure code when the device
// has no pages.
WAVETAP_EXPORT std::int32_t CallFilter(QString deviceName, QObject* parent, int audio);

// 1 when the path's last three characters, lower-cased, occur in "mp3|wav|wma".
WAVETAP_EXPORT int IsAudioFile(QString path);
