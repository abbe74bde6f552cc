#include "recorder/cycle_split.h"

CycleSplit SplitShowIntoCycles(const QTime& start, const QTime& end, const QString& minutesText) {
    CycleSplit split;
    bool ok = false;
    const int m = minutesText.trimmed().toInt(&ok);
    if (!ok || m < 0) {
        split.outcome = CycleSplit::BadMinutes;
        return split;
    }
    int seconds = start.secsTo(end);
    if (seconds < 0) seconds += 24 * 60 * 60;
    const int d = seconds / 60;
    if (m > d) {
        split.outcome = CycleSplit::LongerThanShow;
        return split;
    }
    if (m == 0) {
        split.outcome = CycleSplit::Zero;
        return split;
    }
    int count = d / m;
    if (d % m != 0) {
        split.uneven = true;
        ++count;
    }
    QTime t = start;
    for (int i = 0; i < count; ++i) {
        const bool last = i == count - 1;
        const QTime pieceEnd = last && split.uneven ? end : t.addSecs(m * 60);
        split.pieces.append({t, pieceEnd});
        t = pieceEnd;
    }
    return split;
}
