#pragma once
// Cycle splitting of a custom show: a show recorded in pieces of m minutes each.

#include <QList>
#include <QString>
#include <QTime>

struct ShowPiece {
    QTime start;
    QTime end;
};

struct CycleSplit {
    enum Outcome {
        Pieces,          // pieces holds the pieces
        BadMinutes,      // "请正确设定循环周期分钟数": the minutes are not a number
        LongerThanShow,  // "循环时间大于节目的时长": m > d
        Zero,            // "循环时间不能为零": m = 0
    } outcome = Pieces;
    // d is not a multiple of m: "不是有效的循环时长，请确认是否采集最后一个节目" is shown
    // (information only) and the last piece ends at the show's end.
    bool uneven = false;
    QList<ShowPiece> pieces;
};

inline const QString kSplitBadMinutes = QStringLiteral("请正确设定循环周期分钟数");
inline const QString kSplitLongerThanShow = QStringLiteral("循环时间大于节目的时长");
inline const QString kSplitZero = QStringLiteral("循环时间不能为零");
inline const QString kSplitUneven = QStringLiteral("不是有效的循环时长，请确认是否采集最后一个节目");

// Splits [start, end] into pieces of `minutesText` minutes; d is the show's length in
// whole minutes (a show ending before it starts runs past midnight).
CycleSplit SplitShowIntoCycles(const QTime& start, const QTime& end, const QString& minutesText);
