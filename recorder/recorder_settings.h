#pragma once
// "Recorderconfig.ini" in the program folder: its sections, keys and the quality lists.

#include <QString>
#include <QStringList>

class CINIConfig;

namespace recorder_settings {

inline const QString kFileName = QStringLiteral("Recorderconfig.ini");
inline const QString kSettingPage = QStringLiteral("SETTINGPAGE");
inline const QString kDeviceV = QStringLiteral("DEVICE_V");
inline const QString kDeviceA = QStringLiteral("DEVICE_A");
inline const QString kSaveQuality = QStringLiteral("SAVEQUALITY");
inline const QString kSaveQualitySel = QStringLiteral("SAVEQUALITYSEL");
inline const QString kPcPath = QStringLiteral("PCPATH");
inline const QString kShowSavePc = QStringLiteral("SHOWSAVEPC");
inline const QString kLogo = QStringLiteral("LOGO");
inline const QString kFormatPc = QStringLiteral("FORMAT_PC");
inline const QString kShowList = QStringLiteral("SHOWLIST");
inline const QString kRecorderState = QStringLiteral("RECORDERSTATE");
inline const QString kServer = QStringLiteral("SERVER");
inline const QString kUrl = QStringLiteral("URL");

// The video-device choice that records sound only.
inline const QString kOnlyAudio = QStringLiteral("Only Audio");
inline const QString kFormatWmv = QStringLiteral("WMV");

// Appended to SERVER/URL to form the SOAP endpoint.
inline const QString kServicePath = QStringLiteral("/vekservices/ClientService");

// Other files of the recorder in the program folder.
inline const QString kShowListFile = QStringLiteral("CurrentShowList.ini");
inline const QString kUploadQueueFile = QStringLiteral("ftpconfigure.ini");
inline const QString kIdlePicture = QStringLiteral("revodezo.bmp");

const QStringList& VideoQualities();
const QStringList& AudioQualities();

// DEVICE_V names the audio-only choice (case ignored).
bool IsOnlyAudio(const QString& videoDevice);

}  // namespace recorder_settings

// What the recording worker reads once at its start.
struct RecordingSettings {
    QString folder;       // PCPATH
    QString videoDevice;  // DEVICE_V
    QString audioDevice;  // DEVICE_A
    QString quality;      // SAVEQUALITY
};

RecordingSettings ReadRecordingSettings(const CINIConfig& config);
