#pragma once
// GStreamer's libav encoders shift their timestamps by 1000 hours; the ASF muxer would
// write that into the file header as the duration. These rewrite an encoder's output
// to running time, starting from zero.

typedef struct _GstElement GstElement;

namespace wavetap::engine {

// For an encoder whose output keeps valid timestamps (audio).
void AddTimestampFix(GstElement* encoder);

// For a video encoder that makes one output frame per input frame, in order (no
// B-frames): each output frame takes its input frame's running time. Held to a frame
// rate downstream, the libav video encoders lose their output timestamps altogether.
void AddFrameTimestampFix(GstElement* encoder);

}  // namespace wavetap::engine
