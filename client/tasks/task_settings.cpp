#include "client/tasks/task_settings.h"

#include "client/shell/ini_config.h"
#include "client/tasks/task_ini_fields.h"

namespace {

using task_ini::Kind;
using task_ini::Number;
using task_ini::Text;

const QString kLiveSection = QStringLiteral("LIVETASK");
const QString kRecordSection = QStringLiteral("RECORDTASK");

using L = LiveTaskSettings;
const task_ini::Field<L> kLiveFields[] = {
    Text("videoDevice", &L::videoDevice),
    Text("audioDevice", &L::audioDevice),
    Text("videoProfile", &L::videoProfile),
    Text("mserverName", &L::mserverName),
    Number("streamType", &L::streamType, Kind::StreamType),
    Number("isLiveDrm", &L::isLiveDrm, Kind::Flag),
    Number("checklogo", &L::checklogo, Kind::Flag),
    Text("outputFile", &L::outputFile),
};

using R = RecordTaskSettings;
// The local recording page reads what it shows when it opens...
const task_ini::Field<R> kRecordReadFields[] = {
    Text("videoDevice", &R::videoDevice),
    Text("audioDevice", &R::audioDevice),
    Text("videoProfile", &R::videoProfile),
    Text("mserverName", &R::mserverName),
    Number("streamType", &R::streamType, Kind::StreamType),
    Number("checklogo", &R::checklogo, Kind::Flag),
    Text("outputFile", &R::outputFile),
};
// ...and writes the settings of the run that started.
const task_ini::Field<R> kRecordWriteFields[] = {
    Number("streamType", &R::streamType),
    Number("checklogo", &R::checklogo),
    Text("videoDevice", &R::videoDevice),
    Text("audioDevice", &R::audioDevice),
    Text("videoProfile", &R::videoProfile),
    Number("autoBegin", &R::autoBegin),
    Text("beginTime", &R::beginTime),
    Number("autoStop", &R::autoStop),
    Text("endTime", &R::endTime),
    Number("isRecord", &R::isRecord),
    Text("outputFile", &R::outputFile),
};

}  // namespace

LiveTaskSettings ReadLiveTaskSettings(const QString& iniPath) {
    LiveTaskSettings settings;
    task_ini::Read(CINIConfig(iniPath), kLiveSection, kLiveFields, settings);
    return settings;
}

bool WriteLiveTaskSettings(const QString& iniPath, const LiveTaskSettings& settings) {
    return task_ini::Write(CINIConfig(iniPath), kLiveSection, kLiveFields, settings);
}

RecordTaskSettings ReadRecordTaskSettings(const QString& iniPath) {
    RecordTaskSettings settings;
    task_ini::Read(CINIConfig(iniPath), kRecordSection, kRecordReadFields, settings);
    return settings;
}

bool WriteRecordTaskSettings(const QString& iniPath, const RecordTaskSettings& settings) {
    return task_ini::Write(CINIConfig(iniPath), kRecordSection, kRecordWriteFields, settings);
}
