#include "recorder/schedule_rebuild.h"

#include "recorder/recorder_globals.h"
#include "recorder/recorder_service.h"
#include "recorder/recorder_settings.h"
#include "recorder/recorder_trace.h"
#include "recorder/show_list_file.h"
#include "recorder/web_settings.h"

#include <QThread>

namespace {

constexpr int kChannel = 0;  // the recorder uses channel 0

QDateTime Now(const RebuildContext& context) { return context.clock ? context.clock() : QDateTime::currentDateTime(); }

// The channel record of an unregistered station, its name and FTP accounts.
void FetchChannel(const RebuildContext& context, RecorderService::CRecorderServiceT& service,
                  std::vector<RecorderService::ENCFtp>* ftpList) {
    RecorderService::ENCInfo info;
    if (service.bChannel(0, Recorder().userId, &info) < 0) return;
    ChannelRecord record = Recorder().Channel(kChannel);
    record.channelId = static_cast<int>(info.channel.channelId);
    record.channelName = info.channel.channelName;
    Recorder().SetChannel(kChannel, record);
    WriteChannelIdentity(context.webFile, record.channelId, record.channelName);
    if (context.showChannelName) context.showChannelName(record.channelName);
    service.updateFlag(record.channelId);
    WriteFtpList(context.webFile, info.ftpList);
    *ftpList = info.ftpList;
}

void UseTemplate(const RebuildContext& context, bool special, int weekday, RecorderService::ENCTemple temple,
                 int channelId) {
    if (temple.progList.size() > static_cast<std::size_t>(kMaxProgrammesPerDay)) {
        RecorderTrace(QStringLiteral("%1 template of week %2 holds %3 programmes, %4 taken")
                          .arg(kChannel).arg(weekday).arg(temple.progList.size()).arg(kMaxProgrammesPerDay));
        temple.progList.resize(static_cast<std::size_t>(kMaxProgrammesPerDay));
    }
    WriteTemplateCache(context.webFile, special, weekday, temple, channelId);
    if (temple.progList.empty()) {
        RecorderTrace(special ? QStringLiteral("%1 路getspecTemple 节目数为0条").arg(kChannel)
                              : QStringLiteral("%1 路getTemple 节目数为0条").arg(kChannel));
    }
    const QString format = recorder_settings::kFormatWmv;
    for (const RecorderService::ENCProg& p : temple.progList) {
        ShowEntry entry;
        entry.name = p.pg_name;
        entry.start = p.beginTime;
        entry.end = p.endTime;
        entry.cycle = WeekdayCharacter(weekday);
        entry.format = format;
        entry.type = QStringLiteral("%1-%2").arg(p.ctId).arg(p.ctName);
        entry.pgid = QStringLiteral("%1-%2").arg(p.columnId).arg(channelId);
        entry.showId = QString::number(p.tcId);
        entry.updateKey = kShowFromService;
        context.showFile->Append(entry);
    }
}

// One pass over the marked days of the coming week; false when a day failed.
bool FetchMarkedDays(const RebuildContext& context, RecorderService::CRecorderServiceT& service) {
    const int channelId = Recorder().Channel(kChannel).channelId;
    const qint64 userId = Recorder().userId;
    const QDate today = Now(context).date();
    bool failed = false;
    for (int d = 0; d < 7 && !Recorder().exitRequested; ++d) {
        const QDate date = today.addDays(d);
        const int w = date.dayOfWeek();
        if (!Recorder().weekRefresh[w][kChannel]) continue;
        RecorderService::ENCSpcTemple special;
        const QString monthDay = date.toString(QStringLiteral("yyyy-MM-dd")).right(5);
        if (service.getEncSpcTemple(channelId, monthDay, w, userId, &special) < 0) {
            RecorderTrace(QStringLiteral("channel=%1  GetSpcTemplate fail__________________ week=%2 ").arg(kChannel).arg(w));
            failed = true;
            continue;
        }
        if (special.flag) {
            RecorderTrace(QStringLiteral("%1  GetSpcTemplate %2 is true").arg(kChannel).arg(w));
            UseTemplate(context, true, w, std::move(special.temple), channelId);
        } else {
            RecorderService::ENCTemple weekly;
            if (service.getTemple(channelId, w, userId, &weekly) < 0) {
                RecorderTrace(QStringLiteral("channel=%1  getTemple fail__________________ week=%2 ").arg(kChannel).arg(w));
                failed = true;
                continue;
            }
            UseTemplate(context, false, w, std::move(weekly), channelId);
        }
        Recorder().weekRefresh[w][kChannel] = 0;
    }
    return !failed;
}

// Sleeps up to `milliseconds`; false when the user exits meanwhile.
bool PauseUnlessExit(int milliseconds) {
    for (int slept = 0; slept < milliseconds; slept += 50) {
        if (Recorder().exitRequested) return false;
        QThread::msleep(static_cast<unsigned long>(std::min(50, milliseconds - slept)));
    }
    return !Recorder().exitRequested;
}

}  // namespace

QString WeekdayCharacter(int weekday) {
    static const QString kDays = QStringLiteral("一二三四五六日");
    return weekday >= 1 && weekday <= 7 ? kDays.mid(weekday - 1, 1) : QString();
}

void RebuildSchedule(const RebuildContext& context, RecorderService::CRecorderServiceT& service) {
    // A registered station fetches no template, so it keeps the schedule it has.
    if (Recorder().Channel(kChannel).encId != 0) return;
    context.showFile->Clear();
    std::vector<RecorderService::ENCFtp> ftpList;
    FetchChannel(context, service, &ftpList);
    // The retry ends at exit, so that leaving never waits on a service that keeps failing.
    while (!FetchMarkedDays(context, service)) {
        if (!PauseUnlessExit(context.retryPauseMs)) return;
    }
    if (!ftpList.empty() && context.ftp) LoadFtpAccount(context.webFile, *context.ftp);
    RecorderTrace(QStringLiteral("%1 GetEncInfo end").arg(kChannel));
}
