#include "upkeep/download_texts.h"

namespace upkeep {

QString SizeText(qint64 bytes) {
    if (bytes < 1024) return QStringLiteral("%1字节").arg(bytes);
    if (bytes < 1048576) {
        return QStringLiteral("%1K字节").arg(QString::asprintf("%0.1f", static_cast<double>(bytes) * 0.0009765625));
    }
    return QStringLiteral("%1M字节").arg(QString::asprintf("%0.2f", static_cast<double>(bytes) * 9.536743e-7));
}

QString RateText(double bytesPerMillisecond) {
    if (bytesPerMillisecond < 1) {
        return QStringLiteral("%1字节/秒").arg(QString::asprintf("%0.0f", bytesPerMillisecond * 1024));
    }
    const char* format = bytesPerMillisecond < 10 ? "%0.2f" : "%0.0f";
    return QStringLiteral("%1K字节/秒").arg(QString::asprintf(format, bytesPerMillisecond));
}

QString TimeText(qint64 seconds) {
    if (seconds < 60) return QStringLiteral("%1秒").arg(seconds);
    const qint64 minutes = seconds / 60, rest = seconds % 60;
    if (rest == 0) return QStringLiteral("%1分").arg(minutes);
    return QStringLiteral("%1分%2秒").arg(minutes).arg(rest);
}

QString RemainingText(qint64 secondsLeft, qint64 received, qint64 length) {
    const QString copied = QStringLiteral("已复制%1 共%2").arg(SizeText(received), SizeText(length));
    return QStringLiteral("%1（%2）").arg(TimeText(secondsLeft), copied);
}

qint64 SecondsLeft(qint64 millisecondsSinceStart, qint64 received, qint64 length) {
    if (received <= 0 || length <= received) return 0;
    return static_cast<qint64>(static_cast<double>(millisecondsSinceStart) / static_cast<double>(received) *
                               static_cast<double>(length - received) / 1000);
}

QString CompletedTitle(int percent, const QString& fileName) {
    return QStringLiteral("已完成%1%%2").arg(QString::number(percent), fileName);
}

}  // namespace upkeep
