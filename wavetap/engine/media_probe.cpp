#include "engine/media_probe.h"

#include "engine/gst_setup.h"

#include <QFileInfo>
#include <QUrl>

#include <gst/pbutils/pbutils.h>

namespace wavetap::engine {

HRESULT ProbeMediaFile(const QString& path, MediaFileInfo* info) {
    const QFileInfo file(path);
    if (!file.isFile()) return E_FILE_NOT_FOUND;
    EnsureGstreamer();
    GError* error = nullptr;
    GstDiscoverer* discoverer = gst_discoverer_new(5 * GST_SECOND, &error);
    if (!discoverer) {
        g_clear_error(&error);
        return E_FAIL;
    }
    const QByteArray uri = QUrl::fromLocalFile(file.absoluteFilePath()).toEncoded();
    GstDiscovererInfo* result = gst_discoverer_discover_uri(discoverer, uri.constData(), &error);
    g_clear_error(&error);
    HRESULT hr = NS_E_INVALID_INPUT;
    if (result && gst_discoverer_info_get_result(result) == GST_DISCOVERER_OK) {
        GList* audio = gst_discoverer_info_get_audio_streams(result);
        GList* video = gst_discoverer_info_get_video_streams(result);
        info->hasAudio = audio != nullptr;
        info->hasVideo = video != nullptr;
        gst_discoverer_stream_info_list_free(audio);
        gst_discoverer_stream_info_list_free(video);
        info->duration100ns = static_cast<std::int64_t>(gst_discoverer_info_get_duration(result) / 100);
        if (info->hasAudio || info->hasVideo) hr = S_OK;
    }
    if (result) g_object_unref(result);
    g_object_unref(discoverer);
    return hr;
}

}  // namespace wavetap::engine
