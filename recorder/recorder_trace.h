#pragma once
// The recorder's trace log "log/VEKRecorder.txt" in the program folder: one line per
// message, the local time "%04d-%02d-%02d %02d:%02d:%02d " first, the text in the ANSI
// code page, "\n" last. The file is opened for each line; without a "log" folder the
// line is lost.

#include <QString>

void RecorderTrace(const QString& message);

// The trace file's path.
QString RecorderTracePath();
