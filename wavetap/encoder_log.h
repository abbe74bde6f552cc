#pragma once
// The encoder log "log/encoder.txt" under the program folder: one dated GBK line per
// message, appended; the line is dropped when the file cannot be opened (the "log"
// folder is never created here).

#include <QString>

namespace wavetap {

void AppendEncoderLog(const QString& message);

}  // namespace wavetap
