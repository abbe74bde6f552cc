#pragma once
// A day's programme guide of one channel as the add dialog lists it: each programme runs
// from its play time to the next programme's (the last one to the end of the day).

#include "recorder/recorder_service.h"

#include <QList>
#include <QString>

#include <vector>

struct GuideProgramme {
    QString name;   // programme name with the channel name in parentheses behind it
    QString start;  // "%H:%M:%S"
    QString end;
};

// "HH:MM" or "HH:MM:SS" of the guide as a time of day; "下午" moves a morning hour to the
// afternoon. Empty when the text is not a time.
QString GuideTimeText(const QString& playTime, const QString& meridiem);

// The guide's programmes in time order; programmes without a readable time are left out.
QList<GuideProgramme> GuideProgrammes(const std::vector<RecorderService::TvProgBean>& guide,
                                      const QString& channelName);
