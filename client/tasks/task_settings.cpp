#include "client/tasks/task_settings.h"

#include "client/shell/ini_config.h"
#include "client/tasks/task_ini_values.h"

namespace {

const QString kLiveSection = QStringLiteral("LIVETASK");
const QString kRecordSection = QStringLiteral("RECORDTASK");

}  // namespace

LiveTaskSettings ReadLiveTaskSettings(const QString& iniPath) {
    const CINIConfig ini(iniPath);
    LiveTaskSettings s;
    s.videoDevice = ini.ReadString(kLiveSection, QStringLiteral("videoDevice"));
    s.audioDevice = ini.ReadString(kLiveSection, QStringLiteral("audioDevice"));
    s.videoProfile = ini.ReadString(kLiveSection, QStringLiteral("videoProfile"));
    s.mserverName = ini.ReadString(kLiveSection, QStringLiteral("mserverName"));
    s.streamType = task_ini::ReadStreamType(ini, kLiveSection, QStringLiteral("streamType"));
    s.isLiveDrm = task_ini::ReadFlag(ini, kLiveSection, QStringLiteral("isLiveDrm"));
    s.checklogo = task_ini::ReadFlag(ini, kLiveSection, QStringLiteral("checklogo"));
    s.outputFile = ini.ReadString(kLiveSection, QStringLiteral("outputFile"));
    return s;
}

bool WriteLiveTaskSettings(const QString& iniPath, const LiveTaskSettings& s) {
    const CINIConfig ini(iniPath);
    bool ok = ini.WriteString(kLiveSection, QStringLiteral("videoDevice"), s.videoDevice);
    ok &= ini.WriteString(kLiveSection, QStringLiteral("audioDevice"), s.audioDevice);
    ok &= ini.WriteString(kLiveSection, QStringLiteral("videoProfile"), s.videoProfile);
    ok &= ini.WriteString(kLiveSection, QStringLiteral("mserverName"), s.mserverName);
    ok &= ini.WriteInt(kLiveSection, QStringLiteral("streamType"), s.streamType);
    ok &= ini.WriteInt(kLiveSection, QStringLiteral("isLiveDrm"), s.isLiveDrm);
    ok &= ini.WriteInt(kLiveSection, QStringLiteral("checklogo"), s.checklogo);
    ok &= ini.WriteString(kLiveSection, QStringLiteral("outputFile"), s.outputFile);
    return ok;
}

RecordTaskSettings ReadRecordTaskSettings(const QString& iniPath) {
    const CINIConfig ini(iniPath);
    RecordTaskSettings s;
    s.videoDevice = ini.ReadString(kRecordSection, QStringLiteral("videoDevice"));
    s.audioDevice = ini.ReadString(kRecordSection, QStringLiteral("audioDevice"));
    s.videoProfile = ini.ReadString(kRecordSection, QStringLiteral("videoProfile"));
    s.mserverName = ini.ReadString(kRecordSection, QStringLiteral("mserverName"));
    s.streamType = task_ini::ReadStreamType(ini, kRecordSection, QStringLiteral("streamType"));
    s.checklogo = task_ini::ReadFlag(ini, kRecordSection, QStringLiteral("checklogo"));
    s.outputFile = ini.ReadString(kRecordSection, QStringLiteral("outputFile"));
    return s;
}

bool WriteRecordTaskSettings(const QString& iniPath, const RecordTaskSettings& s) {
    const CINIConfig ini(iniPath);
    bool ok = ini.WriteInt(kRecordSection, QStringLiteral("streamType"), s.streamType);
    ok &= ini.WriteInt(kRecordSection, QStringLiteral("checklogo"), s.checklogo);
    ok &= ini.WriteString(kRecordSection, QStringLiteral("videoDevice"), s.videoDevice);
    ok &= ini.WriteString(kRecordSection, QStringLiteral("audioDevice"), s.audioDevice);
    ok &= ini.WriteString(kRecordSection, QStringLiteral("videoProfile"), s.videoProfile);
    ok &= ini.WriteInt(kRecordSection, QStringLiteral("autoBegin"), s.autoBegin);
    ok &= ini.WriteString(kRecordSection, QStringLiteral("beginTime"), s.beginTime);
    ok &= ini.WriteInt(kRecordSection, QStringLiteral("autoStop"), s.autoStop);
    ok &= ini.WriteString(kRecordSection, QStringLiteral("endTime"), s.endTime);
    ok &= ini.WriteInt(kRecordSection, QStringLiteral("isRecord"), s.isRecord);
    ok &= ini.WriteString(kRecordSection, QStringLiteral("outputFile"), s.outputFile);
    return ok;
}
