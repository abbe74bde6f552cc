#pragma once
// GStreamer's libav encoders shift their timestamps by 1000 hours; the ASF muxer would
// write that into the file header as the duration. This rewrites an encoder's output
// to running time, starting from zero.

typedef struct _GstElement GstElement;

namespace wavetap::engine {

void AddTimestampFix(GstElement* encoder);

}  // namespace wavetap::engine
