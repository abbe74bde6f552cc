#include "engine/timestamp_fix.h"

#include <gst/gst.h>

namespace wavetap::engine {

namespace {

GstPadProbeReturn NormaliseTimestamps(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* segment = static_cast<GstSegment*>(data);
    if (info->type & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
            const GstSegment* incoming = nullptr;
            gst_event_parse_segment(event, &incoming);
            gst_segment_copy_into(incoming, segment);
            GstSegment plain;
            gst_segment_init(&plain, GST_FORMAT_TIME);
            GstEvent* replacement = gst_event_new_segment(&plain);
            gst_event_set_seqnum(replacement, gst_event_get_seqnum(event));
            gst_event_unref(event);
            GST_PAD_PROBE_INFO_DATA(info) = replacement;
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

}  // namespace

void AddTimestampFix(GstElement* encoder) {
    GstPad* pad = gst_element_get_static_pad(encoder, "src");
    auto* segment = gst_segment_new();
    gst_pad_add_probe(pad, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                      NormaliseTimestamps, segment, reinterpret_cast<GDestroyNotify>(gst_segment_free));
    gst_object_unref(pad);
}

}  // namespace wavetap::engine
