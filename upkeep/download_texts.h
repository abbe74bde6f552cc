#pragma once
// The texts the download window shows while a file comes in.

#include <QString>

namespace upkeep {

// "%1字节" below 1 KiB, "%1K字节" ("%0.1f") below 1 MiB, else "%1M字节" ("%0.2f").
QString SizeText(qint64 bytes);

// A transfer rate given in bytes per millisecond: "%1字节/秒" below 1, else "%1K字节/秒".
QString RateText(double bytesPerMillisecond);

// "%1秒" below a minute, else "%1分" or "%1分%2秒".
QString TimeText(qint64 seconds);

// The remaining-time line: "%1（%2）" of the time left and "已复制%1 共%2".
QString RemainingText(qint64 secondsLeft, qint64 received, qint64 length);

// Seconds left at the pace so far; 0 before anything was received.
qint64 SecondsLeft(qint64 millisecondsSinceStart, qint64 received, qint64 length);

// The window title once a percentage is known: "已完成%1%%2".
QString CompletedTitle(int percent, const QString& fileName);

}  // namespace upkeep
