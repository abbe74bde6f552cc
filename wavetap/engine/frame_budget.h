#pragma once
// Frame dropping before the video encoder when its output runs ahead of the profile's rate.
// At its coarsest quantizer the encoder cannot make a frame smaller, so on very busy
// pictures at large sizes the only way to hold the rate is to encode fewer frames.

#include "engine/video_rate.h"

#include <array>
#include <cstdint>
#include <deque>
#include <mutex>
#include <utility>

typedef struct _GstElement GstElement;

namespace wavetap::engine {

struct Profile;

// A leaky bucket of encoded bits: it drains at a fixed rate over the frames' running time
// and fills by the size of each encoded frame. A raw frame is let through when the bucket,
// drained to the frame's time, still has room, within nine tenths of its depth, for a frame
// of the mean size of the last three delta frames; so the bits of any stretch of T seconds
// stay within rate * T + depth while the frames keep near that size. A key frame can be
// larger than the whole depth, so the frames of the last second, with the one expected, must
// also stay within the limit's bits per second. The encoder makes a key frame every so many
// frames: for that frame the last key frame's size is expected, and the frames before it
// are held back until the second before it leaves it room.
// Frames are held back only once the encoder has run the bucket over its depth (from then
// on, until a reset): an encoder that holds the rate itself loses no frame. Thread-safe: the
// calls come from streaming threads.
class FrameBudget {
public:
    explicit FrameBudget(const VideoRateLimit& limit);

    // Whether the raw frame at this running time (nanoseconds) is to be encoded. A frame is
    // always let through while the bucket and the last second are empty, as before the first
    // encoded frame.
    bool Admit(std::uint64_t runningTime);
    // An encoded frame of that many bits has come out of the encoder: the last one let through.
    void Spend(double bits, bool keyFrame);
    // Forgets what was spent (the encoder starts over, after a flush).
    void Reset();

    std::uint64_t Dropped() const;

private:
    double ExpectedBits() const;
    double LastSecondBits(std::uint64_t runningTime);

    mutable std::mutex mutex_;
    const VideoRateLimit limit_;
    double level_ = 0;  // bits spent and not yet drained
    std::uint64_t lastTime_ = 0;
    bool timed_ = false;        // lastTime_ holds the time of a frame
    std::array<double, 3> recentDeltaBits_{};  // the sizes of the last delta frames, oldest replaced
    std::size_t deltaFrames_ = 0;
    int deltasSinceKey_ = 0;
    double lastKeyBits_ = 0;
    std::deque<std::pair<std::uint64_t, double>> lastSecond_;  // (time, bits) of the frames encoded
    double lastSecondBits_ = 0;
    bool overrun_ = false;  // the encoder has run the bucket over its depth
    std::uint64_t dropped_ = 0;
};

// Holds the encoder's output to the profile's video rate limit (see video_rate.h) by dropping
// raw frames before it. Add it before anything else that watches the encoder's sink pad, so
// what comes after only sees the frames that are encoded.
void AddFrameBudget(GstElement* encoder, const Profile& p);

}  // namespace wavetap::engine
