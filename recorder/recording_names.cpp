#include "recorder/recording_names.h"


RecordingPlan PlanRecording(const RecordingSettings& settings, const QString& folder, const QString& programFolder,
                            const QDateTime& now, int number) {
    RecordingPlan plan;
    plan.groupName = QStringLiteral("record_1");
    plan.videoSource = QStringLiteral("DEVICE://") + settings.videoDevice;
    plan.audioSource = QStringLiteral("DEVICE://") + settings.audioDevice;
    plan.profileDir = programFolder + QStringLiteral("Profiles/");
    plan.profileName = QStringLiteral("pal_") + settings.quality;
    plan.audioOnly = recorder_settings::IsOnlyAudio(settings.videoDevice);
    plan.dateText = now.toString(QStringLiteral("yyyy-MM-dd"));
    const QString stamp = now.toString(QStringLiteral("yyyyMMddHHmmss"));
    plan.fileName = plan.audioOnly ? stamp + QStringLiteral(".wma")
                                   : stamp + QString::number(number) + QStringLiteral(".wmv");
    QString base = folder;
    while (base.endsWith(u'/')) base.chop(1);
    plan.outputFile = base + u'/' + plan.fileName;
    return plan;
}
