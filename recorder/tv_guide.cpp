#include "recorder/tv_guide.h"

#include <QTime>

#include <algorithm>

QString GuideTimeText(const QString& playTime, const QString& meridiem) {
    const QString text = playTime.trimmed();
    QTime time = QTime::fromString(text, QStringLiteral("H:mm:ss"));
    if (!time.isValid()) time = QTime::fromString(text, QStringLiteral("H:mm"));
    if (!time.isValid()) return {};
    if (meridiem.trimmed() == QStringLiteral("下午") && time.hour() < 12) time = time.addSecs(12 * 60 * 60);
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QList<GuideProgramme> GuideProgrammes(const std::vector<RecorderService::TvProgBean>& guide,
                                      const QString& channelName) {
    QList<GuideProgramme> programmes;
    for (const auto& item : guide) {
        const QString start = GuideTimeText(item.playTime, item.meridiem);
        if (start.isEmpty()) continue;
        programmes.append({item.tvProgram + u'(' + channelName + u')', start, QString()});
    }
    std::stable_sort(programmes.begin(), programmes.end(),
                     [](const GuideProgramme& a, const GuideProgramme& b) { return a.start < b.start; });
    for (qsizetype i = 0; i < programmes.size(); ++i)
        programmes[i].end = i + 1 < programmes.size() ? programmes[i + 1].start : QStringLiteral("23:59:59");
    return programmes;
}
