#include "engine/file_decoder.h"

#include <QUrl>

#include <gst/gst.h>

namespace wavetap::engine {
namespace {

// Links a decoded file stream to the chain waiting for its medium, or to a sink that discards it.
void OnDecodedPad(GstElement*, GstPad* pad, gpointer data) {
    auto* links = static_cast<FileLinks*>(data);
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps) caps = gst_pad_query_caps(pad, nullptr);
    const gchar* media = gst_structure_get_name(gst_caps_get_structure(caps, 0));
    GstElement* target = nullptr;
    if (g_str_has_prefix(media, "video/")) target = links->videoChain;
    if (g_str_has_prefix(media, "audio/")) target = links->audioChain;
    gst_caps_unref(caps);
    GstPad* sink = target ? gst_element_get_static_pad(target, "sink") : nullptr;
    if (sink && !gst_pad_is_linked(sink) && gst_pad_link(pad, sink) == GST_PAD_LINK_OK) {
        gst_object_unref(sink);
        return;
    }
    if (sink) gst_object_unref(sink);
    DiscardStream(links->bin, pad);
}

// A chain the file has no stream for ends at once.
void OnNoMorePads(GstElement*, gpointer data) {
    auto* links = static_cast<FileLinks*>(data);
    for (GstElement* chain : {links->videoChain, links->audioChain}) {
        if (!chain) continue;
        GstPad* sink = gst_element_get_static_pad(chain, "sink");
        if (!gst_pad_is_linked(sink)) {
            GstStructure* s = gst_structure_new(kStreamEnded, "branch", G_TYPE_INT, links->branchId, "live",
                                                G_TYPE_BOOLEAN, FALSE, nullptr);
            gst_bus_post(links->bus, gst_message_new_application(nullptr, s));
        }
        gst_object_unref(sink);
    }
}

void FreeFileLinks(gpointer data, GClosure*) {
    auto* links = static_cast<FileLinks*>(data);
    gst_object_unref(links->bus);
    delete links;
}

}  // namespace

void DiscardStream(GstElement* bin, GstPad* pad) {
    GstElement* discard = gst_element_factory_make("fakesink", nullptr);
    g_object_set(discard, "sync", FALSE, "async", FALSE, nullptr);
    gst_bin_add(GST_BIN(bin), discard);
    gst_element_sync_state_with_parent(discard);
    GstPad* discardPad = gst_element_get_static_pad(discard, "sink");
    gst_pad_link(pad, discardPad);
    gst_object_unref(discardPad);
}

GstElement* CreateFileDecoder(const QString& path, FileLinks* links) {
    GstElement* decoder = gst_element_factory_make("uridecodebin", nullptr);
    if (!decoder) return nullptr;
    const QByteArray uri = QUrl::fromLocalFile(path).toEncoded();
    g_object_set(decoder, "uri", uri.constData(), nullptr);
    g_signal_connect_data(decoder, "pad-added", G_CALLBACK(OnDecodedPad), links, FreeFileLinks, GConnectFlags(0));
    g_signal_connect(decoder, "no-more-pads", G_CALLBACK(OnNoMorePads), links);
    return decoder;
}

}  // namespace wavetap::engine
