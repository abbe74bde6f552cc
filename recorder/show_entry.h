#pragma once
// ShowEntry: one show of the schedule, a daily time window with the days it runs on.

#include <QString>

// SHOWUPDATEKEY values: what happened to the show here since the service last saw it.
enum ShowUpdateKey { kShowFromService = 0, kShowAdded = 1, kShowEdited = 2, kShowDeleted = 3 };

struct ShowEntry {
    QString name;    // SHOWNAME
    QString start;   // SHOWSTARTTIME, "%H:%M:%S"
    QString end;     // SHOWENDTIME, same form
    QString cycle;   // SHOWCYCLE: "无", "单次", "每天", "每星期一" ... "每星期天", or "一" ... "日"
    QString format;  // SHOWFORMAT, the FORMAT_PC setting
    QString type;    // SHOWTYPE, "%d-%s" of the category's id and name
    QString pgid;    // PGID, empty for custom shows
    QString showId;  // SHOWID, empty for custom shows
    int updateKey = kShowAdded;  // SHOWUPDATEKEY
    int conflict = 0;            // CONFLICT, written only for shows from the service
};

// The name of a custom show typed without one.
inline const QString kUnnamedShow = QStringLiteral("未命名");
