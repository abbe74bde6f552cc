#include "recorder/show_status.h"

#include "recorder/show_list_store.h"

#include <QTime>

namespace {

int Compare(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive); }

}  // namespace

QString TimeText(const QDateTime& now) {
    const QTime t = now.time();
    return QStringLiteral("%1:%2:%3")
        .arg(t.hour(), 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'));
}

QString WeekdayCharacter(const QDate& date) {
    static const QString kDays[] = {QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三"),
                                    QStringLiteral("四"), QStringLiteral("五"), QStringLiteral("六"),
                                    QStringLiteral("日")};
    const int day = date.dayOfWeek();  // 1 Monday ... 7 Sunday
    return day >= 1 && day <= 7 ? kDays[day - 1] : QString();
}

bool IsTimeText(const QString& text) {
    return text.size() == 8 && QTime::fromString(text, QStringLiteral("HH:mm:ss")).isValid();
}

ShowEvaluation EvaluateShowTimes(const QString& start, const QString& end, const QString& cycle,
                                 const QDateTime& now) {
    ShowEvaluation result;
    if (cycle != QStringLiteral("无") && cycle != QStringLiteral("每天")) {
        const QString today = WeekdayCharacter(now.date());
        bool runsToday = cycle.contains(today);
        if (today == QStringLiteral("日")) runsToday = runsToday || cycle.contains(QStringLiteral("天"));
        if (!runsToday) {
            result.status = kStatusWaiting;
            return result;
        }
    }
    if (!IsTimeText(start) || !IsTimeText(end)) return result;
    const QString t = TimeText(now);
    const int startVsEnd = Compare(start, end);
    if (startVsEnd < 0 && Compare(end, t) <= 0) {
        result.status = kStatusAired;
    } else if (Compare(t, start) <= 0) {
        result.status = kStatusWaiting;
    } else if ((Compare(start, t) <= 0 && Compare(t, end) <= 0) || (Compare(start, t) <= 0 && startVsEnd > 0) ||
               (Compare(t, end) < 0 && startVsEnd > 0)) {
        result.status = kStatusReady;
        result.due = true;
    }
    return result;
}

bool EvaluateShow(ShowListStore& list, int row, const QDateTime& now) {
    std::lock_guard guard(list.Lock());
    const ShowEvaluation e =
        EvaluateShowTimes(list.Cell(row, kColStart), list.Cell(row, kColEnd), list.Cell(row, kColCycle), now);
    if (!e.status.isNull()) list.SetCell(row, kColStatus, e.status);
    return e.due;
}

int FindDueShow(ShowListStore& list, int from, const QDateTime& now) {
    for (int row = std::max(0, from); row < list.Count(); ++row) {
        if (EvaluateShow(list, row, now)) return row;
    }
    return -1;
}

bool ShowHasEnded(const QString& start, const QString& end, const QDateTime& now) {
    if (!IsTimeText(end)) return true;
    const QString t = TimeText(now);
    return Compare(t, end) >= 0 && (Compare(start, end) < 0 || Compare(t, start) < 0);
}
