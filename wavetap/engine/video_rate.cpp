#include "engine/video_rate.h"

#include "engine/profile.h"

#include <QByteArray>

#include <gst/gst.h>

namespace wavetap::engine {

namespace {

// The rate control keeps a buffer that fills at the maximum rate and from which every frame
// takes its bits, so any stretch of T seconds carries at most maxrate * T + buffer bits.
// 90% of the profile's rate with a buffer of a fifth of a second holds every one-second
// window to 110% of it, and leaves key frames two to three frames' worth of room.
constexpr double kRateShare = 0.9;
constexpr double kBufferSeconds = 0.2;
// How far the running total may drift from the target before the quantizer is pulled back
// (the encoder's default, 4 Mbit, lets a 224 kb/s stream run 18 seconds off).
constexpr double kToleranceSeconds = 0.1;
// Any one second may carry a tenth above the rate; half of that is kept back for frames
// that come out larger than expected.
constexpr double kSecondShare = 1.05;
constexpr int kKeyFrameSeconds = 5;
constexpr int kFinestQuantizer = 1;
constexpr int kLambdaPerQuantizer = 118;

void SetNumber(GstElement* encoder, const char* property, double value) {
    gst_util_set_object_arg(G_OBJECT(encoder), property, QByteArray::number(static_cast<qint64>(value)).constData());
}

}  // namespace

VideoRateLimit VideoRateLimitOf(const Profile& p) {
    return {p.videoBitrate * kRateShare, p.videoBitrate * kBufferSeconds, p.videoBitrate * kSecondShare,
            p.frameRate * kKeyFrameSeconds};
}

void ConfigureVideoEncoder(GstElement* encoder, const Profile& p) {
    const double rate = p.videoBitrate;
    const VideoRateLimit limit = VideoRateLimitOf(p);
    SetNumber(encoder, "bitrate", limit.bitsPerSecond);
    SetNumber(encoder, "maxrate", limit.bitsPerSecond);
    SetNumber(encoder, "bufsize", limit.bufferBits);
    SetNumber(encoder, "bitrate-tolerance", rate * kToleranceSeconds);
    SetNumber(encoder, "gop-size", limit.keyFrameInterval);
    // The finest quantizer is open to the rate control: at the default floor (2) a moderately
    // detailed picture costs well under the rate, and the stream falls short of the profile.
    // The rate control works in Lagrange factors, whose floor is the quantizer's times 118.
    SetNumber(encoder, "qmin", kFinestQuantizer);
    SetNumber(encoder, "lmin", kFinestQuantizer * kLambdaPerQuantizer);
    SetNumber(encoder, "mblmin", kFinestQuantizer * kLambdaPerQuantizer);
}

GstCaps* EncodedVideoCaps(const Profile& p) {
    return gst_caps_new_simple("video/x-wmv", "framerate", GST_TYPE_FRACTION, p.frameRate, 1, nullptr);
}

}  // namespace wavetap::engine
