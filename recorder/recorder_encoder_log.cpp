// The recorder's copy of the live encoder logs to the recorder's own trace.

#include "encoder_log.h"
#include "recorder/recorder_trace.h"

namespace wavetap {

void AppendEncoderLog(const QString& message) { RecorderTrace(message); }

}  // namespace wavetap
