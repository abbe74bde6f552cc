#include "engine/frame_budget.h"

#include "engine/video_rate.h"

#include <gst/gst.h>

#include <algorithm>
#include <memory>

GST_DEBUG_CATEGORY_STATIC(frame_budget_debug);
#define GST_CAT_DEFAULT frame_budget_debug

namespace wavetap::engine {

namespace {

// Frames are let through only while the expected frame leaves a tenth of the depth
// free: the guess is a mean, and the next frame of a busy picture may be larger.
constexpr double kAdmittedShare = 0.9;

}  // namespace

FrameBudget::FrameBudget(const VideoRateLimit& limit) : limit_(limit) {
    static std::once_flag registered;
    std::call_once(registered, [] {
        GST_DEBUG_CATEGORY_INIT(frame_budget_debug, "castora-frame-budget", 0, "frames dropped to hold the video rate");
    });
}

bool FrameBudget::Admit(std::uint64_t runningTime) {
    std::lock_guard lock(mutex_);
    if (timed_ && runningTime > lastTime_)
        level_ = std::max(0.0, level_ - limit_.bitsPerSecond * static_cast<double>(runningTime - lastTime_) / GST_SECOND);
    if (!timed_ || runningTime > lastTime_) lastTime_ = runningTime;
    timed_ = true;
    const double lastSecond = LastSecondBits(lastTime_);
    // Frames are held back only once the encoder has shown it cannot keep within the bucket
    // (its own rate control makes any frame it can fit). An empty bucket and an empty second
    // let any frame through, so a frame larger than the whole depth is never held back for good.
    const double expected = ExpectedBits();
    const bool bucketRoom = level_ <= 0 || level_ + expected <= kAdmittedShare * limit_.bufferBits;
    const bool secondRoom = limit_.secondBits <= 0 || lastSecond <= 0 || lastSecond + expected <= limit_.secondBits;
    if (!overrun_ || (bucketRoom && secondRoom)) return true;
    ++dropped_;
    GST_LOG("frame at %" GST_TIME_FORMAT " dropped: %.0f bits left and %.0f in the last second, %.0f more expected",
            GST_TIME_ARGS(runningTime), level_, lastSecond, expected);
    return false;
}

void FrameBudget::Spend(double bits, bool keyFrame) {
    std::lock_guard lock(mutex_);
    level_ += bits;
    if (level_ > limit_.bufferBits) overrun_ = true;
    GST_TRACE("%s frame of %.0f bits, %.0f left", keyFrame ? "key" : "delta", bits, level_);
    lastSecond_.emplace_back(lastTime_, bits);
    lastSecondBits_ += bits;
    if (keyFrame) {
        lastKeyBits_ = bits;
        deltasSinceKey_ = 0;
        return;
    }
    ++deltasSinceKey_;
    recentDeltaBits_[deltaFrames_++ % recentDeltaBits_.size()] = bits;
}

// The next frame is the encoder's next key frame when as many frames as its interval have
// followed the last; it is expected to be as large as that one. Otherwise the mean of the
// recent delta frames: on busy pictures the frame sizes swing in a cycle, and a guess from
// one frame alone runs the bucket over (the middle one) or starves it (the largest one).
double FrameBudget::ExpectedBits() const {
    if (limit_.keyFrameInterval > 0 && lastKeyBits_ > 0 && deltasSinceKey_ + 1 >= limit_.keyFrameInterval)
        return lastKeyBits_;
    const std::size_t known = std::min(deltaFrames_, recentDeltaBits_.size());
    if (known == 0) return 0;
    double sum = 0;
    for (std::size_t i = 0; i < known; ++i) sum += recentDeltaBits_[i];
    return sum / static_cast<double>(known);
}

// The bits of the frames encoded in the second up to a frame at this time, which that frame
// would close.
double FrameBudget::LastSecondBits(std::uint64_t runningTime) {
    while (!lastSecond_.empty() && lastSecond_.front().first + GST_SECOND <= runningTime) {
        lastSecondBits_ -= lastSecond_.front().second;
        lastSecond_.pop_front();
    }
    if (lastSecond_.empty()) lastSecondBits_ = 0;  // no drift from the sums
    return lastSecondBits_;
}

void FrameBudget::Reset() {
    std::lock_guard lock(mutex_);
    level_ = 0;
    timed_ = false;
    deltaFrames_ = 0;
    deltasSinceKey_ = 0;
    lastKeyBits_ = 0;
    lastSecond_.clear();
    lastSecondBits_ = 0;
    overrun_ = false;
}

std::uint64_t FrameBudget::Dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

namespace {

using SharedBudget = std::shared_ptr<FrameBudget>;

// The running time of a buffer arriving on the pad, from the pad's current segment.
bool RunningTimeOf(GstPad* pad, const GstBuffer* buffer, std::uint64_t* runningTime) {
    if (!GST_BUFFER_PTS_IS_VALID(buffer)) return false;
    GstEvent* event = gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0);
    if (!event) return false;
    const GstSegment* segment = nullptr;
    gst_event_parse_segment(event, &segment);
    guint64 running = 0;
    const bool known = segment->format == GST_FORMAT_TIME &&
                       gst_segment_to_running_time_full(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer), &running) > 0;
    gst_event_unref(event);
    *runningTime = known ? running : 0;
    return true;
}

GstPadProbeReturn AdmitRawFrame(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    FrameBudget* budget = static_cast<SharedBudget*>(data)->get();
    if (info->type & GST_PAD_PROBE_TYPE_EVENT_FLUSH) {
        if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_FLUSH_STOP) budget->Reset();
        return GST_PAD_PROBE_OK;
    }
    std::uint64_t runningTime = 0;
    // A frame without a time cannot be placed against the budget; the encoder gets it.
    if (!RunningTimeOf(pad, GST_PAD_PROBE_INFO_BUFFER(info), &runningTime)) return GST_PAD_PROBE_OK;
    return budget->Admit(runningTime) ? GST_PAD_PROBE_OK : GST_PAD_PROBE_DROP;
}

GstPadProbeReturn SpendEncodedFrame(GstPad*, GstPadProbeInfo* info, gpointer data) {
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    const bool keyFrame = !GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_DELTA_UNIT);
    static_cast<SharedBudget*>(data)->get()->Spend(8.0 * static_cast<double>(gst_buffer_get_size(buffer)), keyFrame);
    return GST_PAD_PROBE_OK;
}

void ReleaseBudget(gpointer data) {
    auto* budget = static_cast<SharedBudget*>(data);
    if (budget->use_count() == 1 && (*budget)->Dropped() > 0)
        GST_INFO("%" G_GUINT64_FORMAT " frames dropped to hold the video rate", (*budget)->Dropped());
    delete budget;
}

}  // namespace

void AddFrameBudget(GstElement* encoder, const Profile& p) {
    const auto budget = std::make_shared<FrameBudget>(VideoRateLimitOf(p));
    GstPad* sink = gst_element_get_static_pad(encoder, "sink");
    gst_pad_add_probe(sink, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_FLUSH), AdmitRawFrame,
                      new SharedBudget(budget), ReleaseBudget);
    gst_object_unref(sink);
    GstPad* src = gst_element_get_static_pad(encoder, "src");
    gst_pad_add_probe(src, GST_PAD_PROBE_TYPE_BUFFER, SpendEncodedFrame, new SharedBudget(budget), ReleaseBudget);
    gst_object_unref(src);
}

}  // namespace wavetap::engine
