#include "engine/pipeline_bus.h"

#include <gst/gst.h>

namespace wavetap::engine {

GSource* WatchPipelineBus(GstElement* pipeline, BusHandler handler, void* data) {
    GstBus* bus = gst_element_get_bus(pipeline);
    GSource* watch = gst_bus_create_watch(bus);
    gst_object_unref(bus);
    g_source_set_callback(watch, G_SOURCE_FUNC(handler), data, nullptr);
    GMainContext* context = g_main_context_ref_thread_default();
    g_source_attach(watch, context);
    g_main_context_unref(context);
    return watch;
}

void ReleaseBusWatch(GSource* watch) {
    if (!watch) return;
    g_source_destroy(watch);
    g_source_unref(watch);
}

HRESULT WaitForEndOfStream(GstElement* pipeline, int timeoutSeconds) {
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(bus, static_cast<GstClockTime>(timeoutSeconds) * GST_SECOND,
                                                     GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const HRESULT hr = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS ? S_OK : E_FAIL;
    if (message) gst_message_unref(message);
    gst_object_unref(bus);
    return hr;
}

}  // namespace wavetap::engine
