#pragma once
// How the WMV video encoder follows the profile's bitrate. The stream is played from
// fixed-size packets that players buffer by, so the encoder's rate control is given a
// small buffer: any one second of video stays within a tenth above the profile's rate.

typedef struct _GstCaps GstCaps;
typedef struct _GstElement GstElement;

namespace wavetap::engine {

struct Profile;

// The rate the encoder is held to and how far it may run ahead of it: any stretch of T
// seconds carries at most bitsPerSecond * T + bufferBits. A key frame may be larger than
// the buffer, so secondBits bounds any one second by itself (0: no bound).
struct VideoRateLimit {
    double bitsPerSecond = 0;
    double bufferBits = 0;
    double secondBits = 0;
    int keyFrameInterval = 0;  // frames from one key frame to the next (0: not known)
};
VideoRateLimit VideoRateLimitOf(const Profile& p);

// Sets the encoder's bitrate, rate-control buffer and key-frame distance from the profile.
void ConfigureVideoEncoder(GstElement* encoder, const Profile& p);

// The caps to hold the encoder's output to (the profile's frame rate). The encoder counts
// the rate per frame from the frame rate it negotiates downstream; without one it budgets
// for a billion frames a second and sits at its coarsest quantizer whatever the bitrate.
GstCaps* EncodedVideoCaps(const Profile& p);

}  // namespace wavetap::engine
