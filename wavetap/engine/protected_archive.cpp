#include "engine/protected_archive.h"

#include "drm/asf_protecting_writer.h"

#include <gst/gst.h>

#include <memory>

namespace wavetap::engine {

namespace {

struct ArchiveWriter {
    explicit ArchiveWriter(const drm::ContentProtection& protection) : writer(protection) {}
    drm::asf::AsfProtectingWriter writer;
    std::uint64_t position = 0;  // where the muxer's next bytes go in its plain file
    bool reported = false;
};

void ReportFailure(GstPad* pad, ArchiveWriter* archive) {
    if (archive->reported) return;
    archive->reported = true;
    GstElement* sink = gst_pad_get_parent_element(pad);
    if (!sink) return;
    const QByteArray text = ("the protected archive cannot be written: " + archive->writer.Error()).toUtf8();
    GError* error = g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_WRITE, text.constData());
    gst_element_post_message(sink, gst_message_new_error(GST_OBJECT(sink), error, nullptr));
    g_error_free(error);
    gst_object_unref(sink);
}

// Runs on the streaming thread, in the order the muxer pushes.
GstPadProbeReturn TakeMuxerOutput(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    auto* archive = static_cast<ArchiveWriter*>(data);
    if (info->type & GST_PAD_PROBE_TYPE_QUERY_DOWNSTREAM) {
        // The muxer updates its header at the end only when the file can be written at any offset.
        GstQuery* query = GST_PAD_PROBE_INFO_QUERY(info);
        if (GST_QUERY_TYPE(query) != GST_QUERY_SEEKING) return GST_PAD_PROBE_OK;
        GstFormat format = GST_FORMAT_UNDEFINED;
        gst_query_parse_seeking(query, &format, nullptr, nullptr, nullptr);
        if (format != GST_FORMAT_BYTES) return GST_PAD_PROBE_OK;
        gst_query_set_seeking(query, GST_FORMAT_BYTES, TRUE, 0, -1);
        return GST_PAD_PROBE_HANDLED;
    }
    if (info->type & GST_PAD_PROBE_TYPE_BUFFER) {
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        GstMapInfo map;
        if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return GST_PAD_PROBE_DROP;
        if (!archive->writer.Write(archive->position, reinterpret_cast<const char*>(map.data), map.size))
            ReportFailure(pad, archive);
        archive->position += map.size;
        gst_buffer_unmap(buffer, &map);
        return GST_PAD_PROBE_DROP;
    }
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
        const GstSegment* segment = nullptr;
        gst_event_parse_segment(event, &segment);
        if (segment->format == GST_FORMAT_BYTES) archive->position = segment->start;
    } else if (GST_EVENT_TYPE(event) == GST_EVENT_EOS) {
        if (!archive->writer.Close()) ReportFailure(pad, archive);
    }
    return GST_PAD_PROBE_OK;
}

}  // namespace

GstElement* CreateProtectedArchiveSink(const QString& path, const drm::ContentProtection& protection, QString* reason) {
    auto archive = std::make_unique<ArchiveWriter>(protection);
    if (!archive->writer.Open(path)) {
        *reason = archive->writer.Error();
        return nullptr;
    }
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (!sink) {
        *reason = "fakesink missing";
        return nullptr;
    }
    g_object_set(sink, "sync", FALSE, "async", FALSE, nullptr);
    GstPad* pad = gst_element_get_static_pad(sink, "sink");
    gst_pad_add_probe(pad,
                      GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM |
                                      GST_PAD_PROBE_TYPE_QUERY_DOWNSTREAM),
                      TakeMuxerOutput, archive.release(), [](gpointer data) {
                          auto* archive = static_cast<ArchiveWriter*>(data);
                          archive->writer.Close();
                          delete archive;
                      });
    gst_object_unref(pad);
    return sink;
}

}  // namespace wavetap::engine
