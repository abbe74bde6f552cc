#include "engine/timestamp_fix.h"

#include <gst/gst.h>

#include <deque>
#include <memory>
#include <mutex>

namespace wavetap::engine {

namespace {

// Replaces a segment event by a plain time segment starting at zero.
void PlainSegment(GstPadProbeInfo* info, GstEvent* event) {
    GstSegment plain;
    gst_segment_init(&plain, GST_FORMAT_TIME);
    GstEvent* replacement = gst_event_new_segment(&plain);
    gst_event_set_seqnum(replacement, gst_event_get_seqnum(event));
    gst_event_unref(event);
    GST_PAD_PROBE_INFO_DATA(info) = replacement;
}

GstPadProbeReturn NormaliseTimestamps(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* segment = static_cast<GstSegment*>(data);
    if (info->type & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
            const GstSegment* incoming = nullptr;
            gst_event_parse_segment(event, &incoming);
            gst_segment_copy_into(incoming, segment);
            PlainSegment(info, event);
        }
        return GST_PAD_PROBE_OK;
    }
    GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
    if (segment->format == GST_FORMAT_TIME) {
        guint64 running = 0;
        if (GST_BUFFER_PTS_IS_VALID(buffer) &&
            gst_segment_to_running_time_full(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer), &running) > 0)
            GST_BUFFER_PTS(buffer) = running;
        if (GST_BUFFER_DTS_IS_VALID(buffer)) {
            const int sign =
                gst_segment_to_running_time_full(segment, GST_FORMAT_TIME, GST_BUFFER_DTS(buffer), &running);
            GST_BUFFER_DTS(buffer) = sign > 0 ? running : 0;
        }
    }
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    return GST_PAD_PROBE_OK;
}

// The running times of the frames handed to a video encoder and not yet out of it.
struct FrameTimes {
    std::mutex mutex;
    GstSegment input;
    std::deque<GstClockTime> pending;  // oldest first
};

using SharedFrameTimes = std::shared_ptr<FrameTimes>;

GstPadProbeReturn RecordFrameTime(GstPad*, GstPadProbeInfo* info, gpointer data) {
    FrameTimes* times = static_cast<SharedFrameTimes*>(data)->get();
    std::lock_guard lock(times->mutex);
    if (info->type & (GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM | GST_PAD_PROBE_TYPE_EVENT_FLUSH)) {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
            const GstSegment* incoming = nullptr;
            gst_event_parse_segment(event, &incoming);
            gst_segment_copy_into(incoming, &times->input);
        } else if (GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) {
            times->pending.clear();  // the encoder drops what it holds
        }
        return GST_PAD_PROBE_OK;
    }
    const GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    guint64 running = GST_CLOCK_TIME_NONE;
    if (times->input.format == GST_FORMAT_TIME && GST_BUFFER_PTS_IS_VALID(buffer) &&
        gst_segment_to_running_time_full(&times->input, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer), &running) <= 0)
        running = 0;  // before the segment's start: clipped to zero like the other streams
    times->pending.push_back(running);
    return GST_PAD_PROBE_OK;
}

GstPadProbeReturn StampFrame(GstPad*, GstPadProbeInfo* info, gpointer data) {
    FrameTimes* times = static_cast<SharedFrameTimes*>(data)->get();
    if (info->type & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) PlainSegment(info, event);
        return GST_PAD_PROBE_OK;
    }
    std::lock_guard lock(times->mutex);
    if (times->pending.empty()) return GST_PAD_PROBE_OK;
    GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
    GST_BUFFER_PTS(buffer) = GST_BUFFER_DTS(buffer) = times->pending.front();
    times->pending.pop_front();
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    return GST_PAD_PROBE_OK;
}

}  // namespace

void AddFrameTimestampFix(GstElement* encoder) {
    const auto times = std::make_shared<FrameTimes>();
    gst_segment_init(&times->input, GST_FORMAT_UNDEFINED);
    const auto release = [](gpointer data) { delete static_cast<SharedFrameTimes*>(data); };
    GstPad* sink = gst_element_get_static_pad(encoder, "sink");
    gst_pad_add_probe(sink,
                      GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM |
                                      GST_PAD_PROBE_TYPE_EVENT_FLUSH),
                      RecordFrameTime, new SharedFrameTimes(times), release);
    gst_object_unref(sink);
    GstPad* src = gst_element_get_static_pad(encoder, "src");
    gst_pad_add_probe(src, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM), StampFrame,
                      new SharedFrameTimes(times), release);
    gst_object_unref(src);
}

void AddTimestampFix(GstElement* encoder) {
    GstPad* pad = gst_element_get_static_pad(encoder, "src");
    auto* segment = gst_segment_new();
    gst_pad_add_probe(pad, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                      NormaliseTimestamps, segment, reinterpret_cast<GDestroyNotify>(gst_segment_free));
    gst_object_unref(pad);
}

}  // namespace wavetap::engine
