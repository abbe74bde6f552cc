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

// Makes a DRM profile from the provider's material (provider address, signing private
// key, signed public key, licence-server and root certificates), names it "Castora"
// ("Live") with both licence addresses and "SECURITYVERSION" 2.8, gives the author's
// encodings "ContentID" 10011, and exports it under `password` to `exportPath` (mode
// 0600). The outputs get the profile's public key, id and key seed once it is made;
// false when any step failed (a failure in making it leaves the outputs unchanged).
VEKENCODER_EXPORT bool CreateDRMProfile(QString exportPath, QString password, QString providerUrl, QString licenseUrl,
                                        QString privateKey, QString signedPublicKey, QString licenseServerCert,
                                        QString rootCert, QString& publicKey, QString& profileId, QString& seed);

#include "vekencoder/batch_jobs.h"
