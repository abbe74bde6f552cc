#pragma once
// RebuildSchedule: for a station not registered yet (channel 0 without encId), empties
// "CurrentShowList.ini", fetches the channel record, then appends the templates of the
// coming seven days. A registered station's schedule is left as it is.
// Days whose template could not be fetched stay marked in weekRefresh and are asked
// again after a pause, until a pass has no failure or the user exits.

#include "recorder/ftp_account.h"

#include <QDateTime>
#include <QString>

#include <functional>

class ShowListFile;
namespace RecorderService {
class CRecorderServiceT;
}

struct RebuildContext {
    const ShowListFile* showFile = nullptr;
    QString webFile;  // "WEBShowList.ini"
    FtpAccountSlot* ftp = nullptr;
    std::function<void(const QString&)> showChannelName;  // the dialog shows the channel's name
    std::function<QDateTime()> clock;                     // the local time; the system clock when empty
    int retryPauseMs = 10000;                             // pause before a failed day is asked again
};

// A day's template gives the schedule at most this many programmes (a channel's day
// has a few dozen); an answer with more is cut there, so that a broken answer cannot
// hold the worker in writing the schedule file.
inline constexpr int kMaxProgrammesPerDay = 200;

void RebuildSchedule(const RebuildContext& context, RecorderService::CRecorderServiceT& service);

// The weekday character of a schedule entry: 1 "一" ... 6 "六", 7 "日".
QString WeekdayCharacter(int weekday);
