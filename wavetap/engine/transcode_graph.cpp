#include "engine/transcode_graph.h"

#include "engine/archive_repair.h"
#include "engine/file_decoder.h"
#include "engine/gst_setup.h"
#include "engine/pipeline_bus.h"
#include "engine/source_group.h"
#include "engine/timestamp_fix.h"
#include "engine/video_rate.h"

#include <QFile>
#include <QUrl>

#include <gst/gst.h>
#include <gst/tag/tag.h>

#include <algorithm>

namespace wavetap::engine {

namespace {

constexpr int kFinishTimeoutSeconds = 15;
constexpr const char* kNoStream = "wavetap-transcode-no-stream";

// The chain from a decoded stream to the muxer: the profile's format, then the encoder.
QByteArray ChainDescription(const Profile& p, bool video) {
    if (video) {
        return QString("queue ! videoconvert ! videoscale ! videorate ! "
                       "video/x-raw,format=I420,width=%1,height=%2,framerate=%3/1,pixel-aspect-ratio=1/1 ! "
                       "avenc_wmv2 name=encoder ! capsfilter name=encoded")
            .arg(p.width)
            .arg(p.height)
            .arg(p.frameRate)
            .toUtf8();
    }
    return QString("queue ! audioconvert ! audioresample ! audio/x-raw,rate=%1,channels=%2 ! audioconvert ! "
                   "avenc_wmav2 name=encoder bitrate=%3")
        .arg(p.sampleRate)
        .arg(p.channels)
        .arg(p.audioBitrate)
        .toUtf8();
}

GstPadProbeReturn CountEncoded(GstPad*, GstPadProbeInfo* info, gpointer data) {
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (buffer && GST_BUFFER_PTS_IS_VALID(buffer)) {
        auto* encoded = static_cast<std::atomic<std::int64_t>*>(data);
        const auto end = static_cast<std::int64_t>(GST_BUFFER_PTS(buffer) +
                                                   (GST_BUFFER_DURATION_IS_VALID(buffer) ? GST_BUFFER_DURATION(buffer) : 0));
        std::int64_t seen = encoded->load();
        while (end > seen && !encoded->compare_exchange_weak(seen, end)) {
        }
    }
    return GST_PAD_PROBE_OK;
}

}  // namespace

TranscodeGraph::TranscodeGraph(RunSettings settings, RunGraphListener* listener)
    : settings_(std::move(settings)), listener_(listener) {
    EnsureGstreamer();
}

TranscodeGraph::~TranscodeGraph() {
    for (GstPad* pad : chainSinks_) gst_object_unref(pad);
    if (pipeline_) {
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        gst_object_unref(pipeline_);
    }
    ReleaseBusWatch(busWatch_);
}

bool TranscodeGraph::Suits(const std::vector<SourceGroup*>& groups, const RunSettings& settings) {
    if (groups.size() != 1 || settings.archivePath.isEmpty() || settings.httpPort > 0 || settings.push ||
        settings.views || settings.protection || !groups.front()->RolloverGroup().isEmpty())
        return false;
    const std::vector<Source*> sources = groups.front()->Sources();
    if (sources.empty()) return false;
    for (Source* source : sources)
        if (source->Kind() != InputKind::File || source->Resource() != sources.front()->Resource()) return false;
    return true;
}

HRESULT TranscodeGraph::Build(const std::vector<SourceGroup*>& groups, QString* reason) {
    group_ = groups.front();
    const Profile& p = settings_.profile;
    wantVideo_ = p.HasVideo() && group_->GetSource(kSourceVideo, 0);
    wantAudio_ = p.HasAudio() && group_->GetSource(kSourceAudio, 0);
    pipeline_ = gst_pipeline_new("wavetap-transcode");
    busWatch_ = WatchPipelineBus(pipeline_, &TranscodeGraph::OnBusMessage, this);

    GstElement* decoder = gst_element_factory_make("uridecodebin", nullptr);
    decoder_ = decoder;
    muxer_ = gst_element_factory_make("asfmux", nullptr);
    GstElement* sink = gst_element_factory_make("filesink", nullptr);
    if (!decoder || !muxer_ || !sink) {
        *reason = "uridecodebin, asfmux or filesink missing";
        return E_FAIL;
    }
    const QByteArray uri = QUrl::fromLocalFile(group_->Sources().front()->Resource()).toEncoded();
    g_object_set(decoder, "uri", uri.constData(), nullptr);
    g_object_set(sink, "location", QFile::encodeName(settings_.archivePath).constData(), "sync", FALSE, nullptr);
    GstTagList* tags = gst_tag_list_new_empty();
    const std::pair<const char*, QString> fields[] = {{GST_TAG_TITLE, settings_.title},
                                                       {GST_TAG_ARTIST, settings_.author},
                                                       {GST_TAG_COPYRIGHT, settings_.copyright},
                                                       {GST_TAG_DESCRIPTION, settings_.description},
                                                       {GST_TAG_COMMENT, settings_.description}};
    for (const auto& [tag, value] : fields)
        if (!value.isEmpty()) gst_tag_list_add(tags, GST_TAG_MERGE_REPLACE, tag, value.toUtf8().constData(), nullptr);
    gst_tag_setter_merge_tags(GST_TAG_SETTER(muxer_), tags, GST_TAG_MERGE_REPLACE);
    gst_tag_list_unref(tags);
    gst_bin_add_many(GST_BIN(pipeline_), decoder, muxer_, sink, nullptr);
    if (!gst_element_link(muxer_, sink)) {
        *reason = "cannot link the muxer to the file";
        return E_FAIL;
    }
    g_signal_connect(decoder, "pad-added", G_CALLBACK(&TranscodeGraph::OnPadAdded), this);
    g_signal_connect(decoder, "no-more-pads", G_CALLBACK(&TranscodeGraph::OnNoMorePads), this);
    return S_OK;
}

HRESULT TranscodeGraph::Play(SourceGroup*, QString* reason) {
    if (gst_element_set_state(pipeline_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        *reason = "the transcode does not start";
        return E_FAIL;
    }
    playing_ = true;
    startedAt_ = std::chrono::system_clock::now();
    return S_OK;
}

void TranscodeGraph::OnPadAdded(GstElement*, GstPad* pad, void* self) {
    auto* graph = static_cast<TranscodeGraph*>(self);
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps) caps = gst_pad_query_caps(pad, nullptr);
    const gchar* media = gst_structure_get_name(gst_caps_get_structure(caps, 0));
    const bool video = g_str_has_prefix(media, "video/");
    const bool audio = g_str_has_prefix(media, "audio/");
    gst_caps_unref(caps);
    if ((video || audio) && graph->LinkStream(pad, video)) return;
    // A stream the profile or the group has no place for is decoded and dropped.
    DiscardStream(graph->pipeline_, pad);
}

bool TranscodeGraph::LinkStream(GstPad* pad, bool video) {
    std::lock_guard lock(linkMutex_);
    bool& linked = video ? videoLinked_ : audioLinked_;
    if (linked || !(video ? wantVideo_ : wantAudio_)) return false;
    GError* error = nullptr;
    GstElement* chain = gst_parse_bin_from_description(ChainDescription(settings_.profile, video).constData(), TRUE, &error);
    if (!chain) {
        g_clear_error(&error);
        return false;
    }
    GstElement* encoder = gst_bin_get_by_name(GST_BIN(chain), "encoder");
    if (video) {
        ConfigureVideoEncoder(encoder, settings_.profile);
        AddFrameTimestampFix(encoder);
        GstElement* encoded = gst_bin_get_by_name(GST_BIN(chain), "encoded");
        GstCaps* caps = EncodedVideoCaps(settings_.profile);
        g_object_set(encoded, "caps", caps, nullptr);
        gst_caps_unref(caps);
        gst_object_unref(encoded);
    } else {
        AddTimestampFix(encoder);
    }
    gst_object_unref(encoder);
    gst_bin_add(GST_BIN(pipeline_), chain);
    GstPad* chainSrc = gst_element_get_static_pad(chain, "src");
    encoded_[video ? 0 : 1] = 0;
    gst_pad_add_probe(chainSrc, GST_PAD_PROBE_TYPE_BUFFER, CountEncoded, &encoded_[video ? 0 : 1], nullptr);
    GstPad* muxPad = gst_element_request_pad_simple(muxer_, video ? "video_%u" : "audio_%u");
    const bool ok = muxPad && gst_pad_link(chainSrc, muxPad) == GST_PAD_LINK_OK;
    gst_object_unref(chainSrc);
    if (muxPad) gst_object_unref(muxPad);
    gst_element_sync_state_with_parent(chain);
    GstPad* chainSink = gst_element_get_static_pad(chain, "sink");
    const bool fed = ok && gst_pad_link(pad, chainSink) == GST_PAD_LINK_OK;
    chainSinks_.push_back(chainSink);
    linked = fed;
    return fed;
}

void TranscodeGraph::OnNoMorePads(GstElement*, void* self) {
    auto* graph = static_cast<TranscodeGraph*>(self);
    bool any = false;
    {
        std::lock_guard lock(graph->linkMutex_);
        any = graph->videoLinked_ || graph->audioLinked_;
    }
    if (any) return;
    GstBus* bus = gst_element_get_bus(graph->pipeline_);
    gst_bus_post(bus, gst_message_new_application(nullptr, gst_structure_new_empty(kNoStream)));
    gst_object_unref(bus);
}

int TranscodeGraph::OnBusMessage(GstBus*, GstMessage* message, void* self) {
    static_cast<TranscodeGraph*>(self)->HandleMessage(message);
    return TRUE;
}

void TranscodeGraph::HandleMessage(GstMessage* message) {
    if (!playing_ || ended_) return;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
        ended_ = true;
        listener_->OnGroupEnded(group_);
        break;
    case GST_MESSAGE_ERROR: {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        const QString text = error ? QString::fromUtf8(error->message) : QString("transcode error");
        g_clear_error(&error);
        GstObject* origin = GST_MESSAGE_SRC(message);
        // A file that cannot be read to its end (broken, cut short) ends the group there.
        if (origin && gst_object_has_as_ancestor(origin, GST_OBJECT(decoder_)))
            listener_->OnGroupEnded(group_);
        else
            listener_->OnRunFailed(E_FAIL, text);
        break;
    }
    case GST_MESSAGE_APPLICATION:
        if (gst_structure_has_name(gst_message_get_structure(message), kNoStream))
            listener_->OnRunFailed(NS_E_INVALID_INPUT, "the file has no stream the profile can take");
        break;
    default:
        break;
    }
}

std::int64_t TranscodeGraph::RunningTime() const {
    const std::int64_t video = encoded_[0].load();
    const std::int64_t audio = encoded_[1].load();
    if (video < 0) return std::max<std::int64_t>(audio, 0);
    if (audio < 0) return video;
    return std::min(video, audio);
}

HRESULT TranscodeGraph::Finish() {
    if (!pipeline_) return S_OK;
    HRESULT hr = S_OK;
    const bool wasPlaying = playing_;
    if (playing_ && !ended_) {
        // Stopped before the end of the file: end the streams so the archive is complete.
        {
            std::lock_guard lock(linkMutex_);
            for (GstPad* pad : chainSinks_) gst_pad_send_event(pad, gst_event_new_eos());
        }
        hr = WaitForEndOfStream(pipeline_, kFinishTimeoutSeconds);
    }
    ended_ = true;
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    // The muxer has written its header and its last packet; put right what it gets wrong.
    if (!Failed(hr) && wasPlaying &&
        !RepairArchive(settings_.archivePath, ProfileBitrates(settings_.profile), asf::FileTime(startedAt_)))
        qWarning("wavetap: cannot repair the archive %s", qUtf8Printable(settings_.archivePath));
    playing_ = false;
    return hr;
}

}  // namespace wavetap::engine
