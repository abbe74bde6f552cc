#pragma once
// The status rule that decides whether a show is due, and the end-of-show check. "Now"
// is an argument, so the rules can be driven through any time of day; the times are
// compared as "%02d:%02d:%02d" texts, without regard to case.

#include <QDate>
#include <QDateTime>
#include <QString>

class ShowListStore;

// "%02d:%02d:%02d" of the time of day.
QString TimeText(const QDateTime& now);
// Today's weekday as the schedule writes it: Monday "一" ... Saturday "六", Sunday "日".
QString WeekdayCharacter(const QDate& date);
// True for a time of day written "HH:MM:SS".
bool IsTimeText(const QString& text);

struct ShowEvaluation {
    bool due = false;
    QString status;  // null: the status stays as it is
};

// The rule on one show's start, end and cycle. A show whose start or end is not a time
// of day is never due (its status stays), so a broken entry cannot start a recording
// that no end would stop.
ShowEvaluation EvaluateShowTimes(const QString& start, const QString& end, const QString& cycle,
                                 const QDateTime& now);

// EvaluateShow: the rule on a row of the list, setting its status; true when due.
bool EvaluateShow(ShowListStore& list, int row, const QDateTime& now);

// FindDueShow: evaluates rows from `from` upward; the first due row, or -1.
int FindDueShow(ShowListStore& list, int from, const QDateTime& now);

// The show recorded in [start, end] has ended: now >= end and (start < end or now < start).
// A broken end text ends it at once.
bool ShowHasEnded(const QString& start, const QString& end, const QDateTime& now);
