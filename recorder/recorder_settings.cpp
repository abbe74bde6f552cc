#include "recorder/recorder_settings.h"

#include "client/shell/ini_config.h"

namespace recorder_settings {

const QStringList& VideoQualities() {
    static const QStringList list{QStringLiteral("视频低质量（128K）"), QStringLiteral("视频中质量（256K）"),
                                  QStringLiteral("视频中质量（384K）"), QStringLiteral("视频高质量（512K）")};
    return list;
}

const QStringList& AudioQualities() {
    static const QStringList list{QStringLiteral("音频低质量（32K）"), QStringLiteral("音频中质量（64K）"),
                                  QStringLiteral("音频高质量（128K）")};
    return list;
}

bool IsOnlyAudio(const QString& videoDevice) { return videoDevice.compare(kOnlyAudio, Qt::CaseInsensitive) == 0; }

}  // namespace recorder_settings

RecordingSettings ReadRecordingSettings(const CINIConfig& config) {
    using namespace recorder_settings;
    RecordingSettings s;
    s.folder = config.ReadString(kSettingPage, kPcPath);
    s.videoDevice = config.ReadString(kSettingPage, kDeviceV);
    s.audioDevice = config.ReadString(kSettingPage, kDeviceA);
    s.quality = config.ReadString(kSettingPage, kSaveQuality);
    return s;
}
