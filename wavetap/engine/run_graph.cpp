#include "engine/run_graph.h"

#include "engine/device_catalog.h"
#include "engine/file_decoder.h"
#include "engine/frame_budget.h"
#include "engine/gst_setup.h"
#include "engine/pipeline_bus.h"
#include "engine/archive_repair.h"
#include "engine/protected_archive.h"
#include "engine/push_client.h"
#include "engine/source_group.h"
#include "engine/stream_output.h"
#include "engine/timestamp_fix.h"
#include "engine/video_rate.h"
#include "platform/logo_file.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QFile>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/tag/tag.h>

#include <atomic>

namespace wavetap::engine {

// The elements of one group inside the pipeline.
struct GroupBranch {
    int id = 0;
    SourceGroup* group = nullptr;
    GstElement* bin = nullptr;
    struct MixerLink {
        GstElement* mixer;
        GstPad* mixerPad;  // requested from the mixer
        GstPad* ghost;     // the bin's pad feeding it
    };
    std::vector<MixerLink> mixerPads;
    int pendingStreams = 0;
    bool ended = false;
    std::atomic<bool> closing{false};
    std::atomic<bool> passEos{false};
    std::vector<QString> tempFiles;
};

namespace {

// A file group starts this far ahead of the output so its first frames are not late.
constexpr std::int64_t kFileStartMargin = 150 * GST_MSECOND;
constexpr int kFinishTimeoutSeconds = 15;
// How long the mixers have to bring out what they hold at the stop.
constexpr int kMixerDrainSeconds = 3;
// Pictures a second of the video mixer's background: how late the video runs (a fifth of a
// second), against a thread hand-off per picture.
constexpr int kBackgroundFrameRate = 5;
// Posted on the bus by the push thread when the media server connection is lost.
constexpr const char* kPushLost = "wavetap-push-lost";

GstElement* Make(const char* factory) { return gst_element_factory_make(factory, nullptr); }

GstCaps* VideoCaps(const Profile& p, bool withRate) {
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "I420", "width", G_TYPE_INT,
                                        p.width, "height", G_TYPE_INT, p.height, "pixel-aspect-ratio",
                                        GST_TYPE_FRACTION, 1, 1, nullptr);
    if (withRate) gst_caps_set_simple(caps, "framerate", GST_TYPE_FRACTION, p.frameRate, 1, nullptr);
    return caps;
}

GstCaps* AudioCaps(const Profile& p) {
    return gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "F32LE", "layout", G_TYPE_STRING,
                               "interleaved", "rate", G_TYPE_INT, p.sampleRate, "channels", G_TYPE_INT,
                               p.channels, nullptr);
}

GstElement* CapsFilter(GstCaps* caps) {
    GstElement* filter = Make("capsfilter");
    g_object_set(filter, "caps", caps, nullptr);
    gst_caps_unref(caps);
    return filter;
}

// Adds the elements to the bin and links them in order; false when a link fails.
bool AddChain(GstBin* bin, std::initializer_list<GstElement*> elements) {
    GstElement* previous = nullptr;
    for (GstElement* element : elements) {
        if (!element) return false;
        gst_bin_add(bin, element);
        if (previous && !gst_element_link(previous, element)) return false;
        previous = element;
    }
    return true;
}

struct StreamProbeContext {
    GroupBranch* branch;
    GstBus* bus;
    bool live;  // a device or the screen: its end ends the group at once
};

// Drops the end of a group's stream (the output goes on) and reports it to the run;
// drops everything of a branch being taken down.
GstPadProbeReturn WatchStreamEnd(GstPad*, GstPadProbeInfo* info, gpointer data) {
    auto* context = static_cast<StreamProbeContext*>(data);
    GroupBranch* branch = context->branch;
    if (info->type & GST_PAD_PROBE_TYPE_BUFFER) return branch->closing ? GST_PAD_PROBE_DROP : GST_PAD_PROBE_OK;
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_EOS || branch->passEos) return GST_PAD_PROBE_OK;
    if (!branch->closing) {
        GstStructure* s = gst_structure_new(kStreamEnded, "branch", G_TYPE_INT, branch->id, "live", G_TYPE_BOOLEAN,
                                            context->live, nullptr);
        gst_bus_post(context->bus, gst_message_new_application(nullptr, s));
    }
    return GST_PAD_PROBE_DROP;
}

void FreeStreamProbeContext(gpointer data) {
    auto* context = static_cast<StreamProbeContext*>(data);
    gst_object_unref(context->bus);
    delete context;
}

}  // namespace

RunGraph::RunGraph(RunSettings settings, RunGraphListener* listener)
    : settings_(std::move(settings)), listener_(listener) {
    EnsureGstreamer();
}

RunGraph::~RunGraph() {
    if (settings_.push) settings_.push->Finish();
    if (pushBus_) gst_object_unref(pushBus_);
    if (pipeline_) {
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        gst_object_unref(pipeline_);
    }
    ReleaseBusWatch(busWatch_);
    for (auto& [id, branch] : branches_)
        for (const QString& file : branch->tempFiles) QFile::remove(file);
    if (streamOutput_) streamOutput_->Stop();
}

GroupBranch* RunGraph::BranchOf(SourceGroup* group) const {
    for (const auto& [id, branch] : branches_)
        if (branch->group == group) return branch.get();
    return nullptr;
}

GroupBranch* RunGraph::BranchOfElement(void* object) const {
    for (const auto& [id, branch] : branches_)
        if (gst_object_has_as_ancestor(GST_OBJECT(object), GST_OBJECT(branch->bin))) return branch.get();
    return nullptr;
}

HRESULT RunGraph::Build(const std::vector<SourceGroup*>& groups, QString* reason) {
    pipeline_ = gst_pipeline_new("wavetap-run");
    busWatch_ = WatchPipelineBus(pipeline_, &RunGraph::OnBusMessage, this);

    if (HRESULT hr = BuildOutput(reason); Failed(hr)) return hr;
    for (SourceGroup* group : groups) {
        if (group->PlaysFiles()) continue;
        if (HRESULT hr = AddBranch(group, 0, false, reason); Failed(hr)) return hr;
    }
    return S_OK;
}

HRESULT RunGraph::BuildOutput(QString* reason) {
    const Profile& p = settings_.profile;
    GstBin* bin = GST_BIN(pipeline_);
    GstElement* fileMux = nullptr;
    GstElement* streamMux = nullptr;
    if (!settings_.archivePath.isEmpty()) {
        fileMux = Make("asfmux");
        GstElement* fileSink = nullptr;
        if (settings_.protection) {
            fileSink = CreateProtectedArchiveSink(settings_.archivePath, *settings_.protection, reason);
            if (!fileSink) return E_FAIL;
        } else if ((fileSink = Make("filesink"))) {
            g_object_set(fileSink, "location", QFile::encodeName(settings_.archivePath).constData(), "async", FALSE,
                         nullptr);
        }
        if (!fileMux || !fileSink) {
            *reason = "asfmux or filesink missing";
            return E_FAIL;
        }
        AddChain(bin, {fileMux, fileSink});
    }
    if (settings_.httpPort > 0 || settings_.push) {
        streamOutput_ = std::make_unique<StreamOutput>(ProfileBitrates(p));
        streamOutput_->SetPush(settings_.push.get());
        streamOutput_->SetProtection(settings_.protection);
        streamMux = Make("asfmux");
        GstElement* appSink = Make("appsink");
        g_object_set(streamMux, "streamable", TRUE, nullptr);
        g_object_set(appSink, "sync", FALSE, "async", FALSE, "max-buffers", 200, nullptr);
        GstAppSinkCallbacks callbacks{};
        callbacks.new_sample = [](GstAppSink* sink, gpointer data) -> GstFlowReturn {
            GstSample* sample = gst_app_sink_pull_sample(sink);
            if (!sample) return GST_FLOW_OK;
            GstMapInfo map;
            GstBuffer* buffer = gst_sample_get_buffer(sample);
            if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
                static_cast<StreamOutput*>(data)->Feed(reinterpret_cast<const char*>(map.data), map.size);
                gst_buffer_unmap(buffer, &map);
            }
            gst_sample_unref(sample);
            return GST_FLOW_OK;
        };
        gst_app_sink_set_callbacks(GST_APP_SINK(appSink), &callbacks, streamOutput_.get(), nullptr);
        AddChain(bin, {streamMux, appSink});
    }
    // Display information goes into both headers.
    GstTagList* tags = gst_tag_list_new_empty();
    const auto addTag = [tags](const char* tag, const QString& value) {
        if (!value.isEmpty()) gst_tag_list_add(tags, GST_TAG_MERGE_REPLACE, tag, value.toUtf8().constData(), nullptr);
    };
    addTag(GST_TAG_TITLE, settings_.title);
    addTag(GST_TAG_ARTIST, settings_.author);
    addTag(GST_TAG_COPYRIGHT, settings_.copyright);
    addTag(GST_TAG_DESCRIPTION, settings_.description);
    addTag(GST_TAG_COMMENT, settings_.description);
    for (GstElement* mux : {fileMux, streamMux})
        if (mux) gst_tag_setter_merge_tags(GST_TAG_SETTER(mux), tags, GST_TAG_MERGE_REPLACE);
    gst_tag_list_unref(tags);

    // Feeds one encoded stream (the encoder's chain ends in `encoder`) to every muxer of the run.
    const auto fanOut = [&](GstElement* encoder, const char* muxPad) -> bool {
        // One muxer: straight in (each stream already has its own thread before its encoder).
        if ((fileMux != nullptr) != (streamMux != nullptr))
            return gst_element_link_pads(encoder, "src", fileMux ? fileMux : streamMux, muxPad);
        GstElement* tee = Make("tee");
        gst_bin_add(bin, tee);
        if (!gst_element_link(encoder, tee)) return false;
        for (GstElement* mux : {fileMux, streamMux}) {
            if (!mux) continue;
            GstElement* queue = Make("queue");
            gst_bin_add(bin, queue);
            if (!gst_element_link(tee, queue) || !gst_element_link_pads(queue, "src", mux, muxPad)) return false;
        }
        if (!fileMux && !streamMux) {
            GstElement* discard = Make("fakesink");
            gst_bin_add(bin, discard);
            return gst_element_link(tee, discard);
        }
        return true;
    };

    if (p.HasVideo()) {
        videoMixer_ = Make("compositor");
        GstElement* background = Make("videotestsrc");
        GstElement* encoder = Make("avenc_wmv2");
        if (!videoMixer_ || !background || !encoder) {
            *reason = "compositor, videotestsrc or avenc_wmv2 missing";
            return E_FAIL;
        }
        g_object_set(videoMixer_, "background", 1 /* black */, nullptr);
        g_object_set(background, "is-live", TRUE, "pattern", 2 /* black */, nullptr);
        ConfigureVideoEncoder(encoder, p);
        AddFrameBudget(encoder, p);  // first: the frames it drops never reach the timestamp fix
        AddFrameTimestampFix(encoder);
        GstElement* encoded = CapsFilter(EncodedVideoCaps(p));
        videoEntry_ = CapsFilter(VideoCaps(p, true));
        GstElement* tee = Make("tee");
        GstElement* queue = Make("queue");
        // The background only keeps the compositor live; the compositor paints the black
        // itself, so a tiny transparent picture is enough, and only a few a second: the
        // compositor holds each picture for its duration, so the output keeps the profile's
        // rate without a background frame (and a thread hand-off) behind every output frame.
        // A live source is one picture behind, and the compositor holds every frame back by
        // as much; what it holds at the stop is lost. At one a second the video ran a second
        // late and recordings lost up to their last second of video.
        Profile tiny = p;
        tiny.width = 16;
        tiny.height = 16;
        tiny.frameRate = kBackgroundFrameRate;
        GstElement* backgroundCaps = CapsFilter(VideoCaps(tiny, true));
        bool ok = AddChain(bin, {background, backgroundCaps}) &&
                  AddChain(bin, {videoMixer_, videoEntry_, tee, queue, encoder, encoded}) &&
                  fanOut(encoded, "video_%u");
        if (ok) {
            // The background: the lowest layer, never drawn.
            GstPad* mixerPad = gst_element_request_pad_simple(videoMixer_, "sink_%u");
            g_object_set(mixerPad, "zorder", 0u, "alpha", 0.0, nullptr);
            GstPad* backgroundPad = gst_element_get_static_pad(backgroundCaps, "src");
            ok = gst_pad_link(backgroundPad, mixerPad) == GST_PAD_LINK_OK;
            gst_object_unref(backgroundPad);
            gst_object_unref(mixerPad);
        }
        if (ok && settings_.views) {
            GstElement* viewQueue = Make("queue");
            g_object_set(viewQueue, "leaky", 2 /* downstream */, "max-size-buffers", 2u, nullptr);
            GstElement* rate = Make("videorate");
            g_object_set(rate, "drop-only", TRUE, nullptr);
            GstCaps* viewCaps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", "framerate",
                                                    GST_TYPE_FRACTION, 10, 1, nullptr);
            GstElement* viewSink = Make("appsink");
            g_object_set(viewSink, "sync", FALSE, "async", FALSE, "drop", TRUE, "max-buffers", 1u, nullptr);
            GstAppSinkCallbacks callbacks{};
            callbacks.new_sample = [](GstAppSink* sink, gpointer data) -> GstFlowReturn {
                GstSample* sample = gst_app_sink_pull_sample(sink);
                if (!sample) return GST_FLOW_OK;
                GstStructure* s = gst_caps_get_structure(gst_sample_get_caps(sample), 0);
                int width = 0, height = 0;
                gst_structure_get_int(s, "width", &width);
                gst_structure_get_int(s, "height", &height);
                GstMapInfo map;
                GstBuffer* buffer = gst_sample_get_buffer(sample);
                if (buffer && width > 0 && height > 0 && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
                    const QImage frame(map.data, width, height, width * 4, QImage::Format_RGB32);
                    static_cast<RunGraphListener*>(data)->OnViewFrame(frame.copy());
                    gst_buffer_unmap(buffer, &map);
                }
                gst_sample_unref(sample);
                return GST_FLOW_OK;
            };
            gst_app_sink_set_callbacks(GST_APP_SINK(viewSink), &callbacks, listener_, nullptr);
            ok = AddChain(bin, {viewQueue, rate, Make("videoconvert"), CapsFilter(viewCaps), viewSink}) &&
                 gst_element_link(tee, viewQueue);
        }
        if (!ok) {
            *reason = "video output chain";
            return E_FAIL;
        }
    }
    if (p.HasAudio()) {
        audioMixer_ = Make("audiomixer");
        GstElement* silence = Make("audiotestsrc");
        GstElement* encoder = Make("avenc_wmav2");
        if (!audioMixer_ || !silence || !encoder) {
            *reason = "audiomixer, audiotestsrc or avenc_wmav2 missing";
            return E_FAIL;
        }
        // Mixing in 100 ms pieces keeps thread hand-offs (and CPU) low; latency stays small.
        g_object_set(silence, "is-live", TRUE, "wave", 4 /* silence */, "samplesperbuffer", p.sampleRate / 10,
                     nullptr);
        g_object_set(audioMixer_, "output-buffer-duration", static_cast<guint64>(100 * GST_MSECOND), nullptr);
        gst_util_set_object_arg(G_OBJECT(encoder), "bitrate", QByteArray::number(p.audioBitrate).constData());
        AddTimestampFix(encoder);
        audioEntry_ = CapsFilter(AudioCaps(p));
        GstElement* silenceCaps = CapsFilter(AudioCaps(p));
        bool ok = AddChain(bin, {silence, silenceCaps}) &&
                  AddChain(bin, {audioMixer_, audioEntry_, Make("queue"), Make("audioconvert"), encoder}) &&
                  gst_element_link(silenceCaps, audioMixer_) && fanOut(encoder, "audio_%u");
        if (!ok) {
            *reason = "audio output chain";
            return E_FAIL;
        }
    }
    return S_OK;
}

HRESULT RunGraph::AddBranch(SourceGroup* group, std::int64_t offset, bool shown, QString* reason) {
    const Profile& p = settings_.profile;
    auto branch = std::make_unique<GroupBranch>();
    branch->id = nextBranchId_++;
    branch->group = group;
    branch->bin = gst_bin_new(nullptr);
    GstBin* bin = GST_BIN(branch->bin);
    GstBus* bus = gst_element_get_bus(pipeline_);

    // One decoder per file, shared by the group's audio and video sources.
    std::map<QString, FileLinks*> decoders;
    bool ok = true;
    for (Source* source : group->Sources()) {
        const bool video = source->Type() == kSourceVideo;
        GstElement* mixer = video ? videoMixer_ : audioMixer_;
        if (!mixer) continue;  // the profile has no such stream
        // The chain that brings this source to the output format.
        std::vector<GstElement*> chain{Make("queue")};
        if (video) {
            chain.insert(chain.end(), {Make("videoconvert"), Make("videoscale"), CapsFilter(VideoCaps(p, false))});
            if (source->HasLogo()) {
                if (auto logo = platform::ReadLogoImage(platform::LogoFilePath())) {
                    const QString path = platform::GetTempFolder() + QString("castora-logo-%1-%2.bmp")
                                                                          .arg(QCoreApplication::applicationPid())
                                                                          .arg(branch->id);
                    QFile file(path);
                    if (file.open(QIODevice::WriteOnly) && file.write(logo->bmpFile) == logo->bmpFile.size()) {
                        file.close();
                        branch->tempFiles.push_back(path);
                        GstElement* overlay = Make("gdkpixbufoverlay");
                        if (overlay) {
                            g_object_set(overlay, "location", QFile::encodeName(path).constData(), "offset-x",
                                         logo->left, "offset-y", logo->top, nullptr);
                            chain.insert(chain.end(), {overlay, Make("videoconvert"),
                                                       CapsFilter(VideoCaps(p, false))});
                        }
                    }
                }
            }
        } else {
            chain.insert(chain.end(), {Make("audioconvert"), Make("audioresample"), CapsFilter(AudioCaps(p))});
        }
        for (GstElement* element : chain) {
            if (!element) {
                *reason = "conversion element missing";
                ok = false;
                break;
            }
            gst_bin_add(bin, element);
        }
        if (!ok) break;
        for (size_t i = 1; i < chain.size(); ++i) ok = ok && gst_element_link(chain[i - 1], chain[i]);

        // The source itself.
        if (source->Kind() == InputKind::File) {
            FileLinks*& links = decoders[source->Resource()];
            if (!links) {
                links = new FileLinks{branch->bin, nullptr, nullptr, GST_BUS(gst_object_ref(bus)), branch->id};
                GstElement* decoder = CreateFileDecoder(source->Resource(), links);
                if (!decoder) {
                    gst_object_unref(links->bus);
                    delete links;
                    links = nullptr;
                    *reason = "uridecodebin missing";
                    ok = false;
                    break;
                }
                gst_bin_add(bin, decoder);
            }
            (video ? links->videoChain : links->audioChain) = chain.front();
        } else {
            GstElement* element = nullptr;
            if (source->Kind() == InputKind::Screen) {
                element = Make("ximagesrc");
                if (element) g_object_set(element, "use-damage", FALSE, nullptr);
            } else if (auto device = FindDevice(source->Resource())) {
                element = CreateDeviceSource(*device, video ? kMediaVideo : kMediaAudio);
            }
            if (!element) {
                *reason = "cannot open " + source->Resource();
                ok = false;
                break;
            }
            gst_bin_add(bin, element);
            ok = ok && gst_element_link(element, chain.front());
        }

        // Out of the bin into the mixer, watching for the stream's end.
        GstPad* chainSrc = gst_element_get_static_pad(chain.back(), "src");
        gst_pad_add_probe(chainSrc, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                          WatchStreamEnd,
                          new StreamProbeContext{branch.get(), GST_BUS(gst_object_ref(bus)),
                                                 source->Kind() != InputKind::File},
                          FreeStreamProbeContext);
        GstPad* ghost = gst_ghost_pad_new(nullptr, chainSrc);
        gst_object_unref(chainSrc);
        gst_pad_set_active(ghost, TRUE);
        gst_element_add_pad(branch->bin, ghost);
        gst_pad_set_offset(ghost, offset);
        GstPad* mixerPad = gst_element_request_pad_simple(mixer, "sink_%u");
        if (video) g_object_set(mixerPad, "zorder", 1u, nullptr);
        branch->mixerPads.push_back({mixer, mixerPad, ghost});
        ++branch->pendingStreams;
    }
    gst_object_unref(bus);
    if (!ok) {
        for (auto& [mixer, pad, ghost] : branch->mixerPads) {
            gst_element_release_request_pad(mixer, pad);
            gst_object_unref(pad);
        }
        gst_object_unref(branch->bin);
        for (const QString& file : branch->tempFiles) QFile::remove(file);
        if (reason->isEmpty()) *reason = "cannot link the sources of " + group->Name();
        return E_FAIL;
    }
    GroupBranch* added = branch.get();
    branches_[added->id] = std::move(branch);
    ShowBranch(added, shown);
    gst_bin_add(GST_BIN(pipeline_), added->bin);
    for (auto& [mixer, pad, ghost] : added->mixerPads) gst_pad_link(ghost, pad);
    if (playing_) gst_element_sync_state_with_parent(added->bin);
    if (added->pendingStreams == 0) added->ended = true;
    return S_OK;
}

void RunGraph::ShowBranch(GroupBranch* branch, bool shown) {
    for (auto& [mixer, pad, ghost] : branch->mixerPads) {
        if (mixer == videoMixer_)
            g_object_set(pad, "alpha", shown ? 1.0 : 0.0, nullptr);
        else
            g_object_set(pad, "mute", shown ? FALSE : TRUE, nullptr);
    }
}

void RunGraph::RemoveBranch(SourceGroup* group) {
    GroupBranch* branch = BranchOf(group);
    if (!branch) return;
    branch->closing = true;
    for (auto& [mixer, pad, ghost] : branch->mixerPads) {
        gst_pad_unlink(ghost, pad);
        gst_element_release_request_pad(mixer, pad);
        gst_object_unref(pad);
    }
    branch->mixerPads.clear();
    gst_element_set_state(branch->bin, GST_STATE_NULL);
    gst_bin_remove(GST_BIN(pipeline_), branch->bin);
    for (const QString& file : branch->tempFiles) QFile::remove(file);
    branches_.erase(branch->id);
}

HRESULT RunGraph::Play(SourceGroup* active, QString* reason) {
    if (active) {
        if (active->PlaysFiles()) {
            if (HRESULT hr = AddBranch(active, kFileStartMargin, true, reason); Failed(hr)) return hr;
        } else if (GroupBranch* branch = BranchOf(active)) {
            ShowBranch(branch, true);
        }
    }
    if (settings_.httpPort > 0 && !streamOutput_->Start(settings_.httpPort, settings_.maxViewers)) {
        *reason = QString("cannot listen on port %1").arg(settings_.httpPort);
        return E_FAIL;
    }
    if (settings_.push) {
        pushBus_ = gst_element_get_bus(pipeline_);
        GstBus* bus = pushBus_;
        settings_.push->Start([bus](const QString& why) {
            GstStructure* s = gst_structure_new(kPushLost, "reason", G_TYPE_STRING, why.toUtf8().constData(), nullptr);
            gst_bus_post(bus, gst_message_new_application(nullptr, s));
        });
    }
    if (gst_element_set_state(pipeline_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        *reason = "the pipeline does not start";
        return E_FAIL;
    }
    playing_ = true;
    startedAt_ = std::chrono::system_clock::now();
    return S_OK;
}

HRESULT RunGraph::Switch(SourceGroup* from, SourceGroup* to) {
    if (from && from != to) {
        if (from->PlaysFiles())
            RemoveBranch(from);
        else if (GroupBranch* branch = BranchOf(from))
            ShowBranch(branch, false);
    }
    if (!to) return S_OK;
    if (to->PlaysFiles()) {
        RemoveBranch(to);  // a file group restarts from its beginning
        QString reason;
        return AddBranch(to, RunningTime() + kFileStartMargin, true, &reason);
    }
    if (GroupBranch* branch = BranchOf(to)) ShowBranch(branch, true);
    return S_OK;
}

std::int64_t RunGraph::RunningTime() const {
    if (!pipeline_ || !playing_) return 0;
    GstClock* clock = gst_element_get_clock(pipeline_);
    if (!clock) return 0;
    const GstClockTime now = gst_clock_get_time(clock);
    gst_object_unref(clock);
    const GstClockTime base = gst_element_get_base_time(pipeline_);
    return now > base ? static_cast<std::int64_t>(now - base) : 0;
}

HRESULT RunGraph::Finish() {
    if (!pipeline_) return S_OK;
    HRESULT hr = S_OK;
    const bool wasPlaying = playing_;
    if (playing_) {
        for (auto& [id, branch] : branches_) branch->passEos = true;
        // The end goes in at every input of the mixers, behind what they hold: the frames
        // waiting there for their time are mixed and encoded before the end.
        for (GstElement* mixer : {videoMixer_, audioMixer_}) {
            if (!mixer) continue;
            gst_element_foreach_sink_pad(
                mixer,
                [](GstElement*, GstPad* pad, gpointer) -> gboolean {
                    gst_pad_send_event(pad, gst_event_new_eos());
                    return TRUE;
                },
                nullptr);
        }
        hr = WaitForEndOfStream(pipeline_, kMixerDrainSeconds);
        if (Failed(hr)) {
            // A mixer that does not come to its end: the end goes in behind it instead.
            for (GstElement* entry : {videoEntry_, audioEntry_}) {
                if (!entry) continue;
                GstPad* pad = gst_element_get_static_pad(entry, "sink");
                gst_pad_send_event(pad, gst_event_new_eos());
                gst_object_unref(pad);
            }
            hr = WaitForEndOfStream(pipeline_, kFinishTimeoutSeconds - kMixerDrainSeconds);
        }
    }
    // Every byte of the stream has been fed: the push ends with it.
    if (settings_.push) settings_.push->Finish();
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    // The muxer has written its header and its last packet; put right what it gets wrong.
    if (!Failed(hr) && wasPlaying && !settings_.archivePath.isEmpty() &&
        !RepairArchive(settings_.archivePath, ProfileBitrates(settings_.profile), asf::FileTime(startedAt_)))
        qWarning("wavetap: cannot repair the archive %s", qUtf8Printable(settings_.archivePath));
    playing_ = false;
    if (streamOutput_) streamOutput_->Stop();
    return hr;
}

int RunGraph::OnBusMessage(GstBus*, GstMessage* message, void* self) {
    static_cast<RunGraph*>(self)->HandleMessage(message);
    return TRUE;
}

void RunGraph::StreamEnded(int branchId, bool live) {
    auto it = branches_.find(branchId);
    if (it == branches_.end() || it->second->ended) return;
    GroupBranch* branch = it->second.get();
    // Files end when all their streams have; a live source that ends (unplugged) ends the group.
    if (--branch->pendingStreams > 0 && !live) return;
    branch->ended = true;
    listener_->OnGroupEnded(branch->group);
}

void RunGraph::HandleMessage(GstMessage* message) {
    if (!playing_) return;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_APPLICATION: {
        const GstStructure* s = gst_message_get_structure(message);
        int branchId = 0;
        gboolean live = FALSE;
        if (gst_structure_has_name(s, kStreamEnded) && gst_structure_get_int(s, "branch", &branchId) &&
            gst_structure_get_boolean(s, "live", &live))
            StreamEnded(branchId, live);
        if (gst_structure_has_name(s, kPushLost))
            listener_->OnRunFailed(NS_E_NOCONNECTION,
                                   "push: " + QString::fromUtf8(gst_structure_get_string(s, "reason")));
        break;
    }
    case GST_MESSAGE_ERROR: {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        const QString text = error ? QString::fromUtf8(error->message) : QString();
        g_clear_error(&error);
        GstObject* origin = GST_MESSAGE_SRC(message);
        // Errors of elements already taken out of the run do not matter.
        if (!origin || !gst_object_has_as_ancestor(origin, GST_OBJECT(pipeline_))) break;
        if (GroupBranch* branch = BranchOfElement(origin)) {
            // A source failed (unplugged device, broken file): its group has ended.
            if (!branch->ended) {
                branch->ended = true;
                branch->pendingStreams = 0;
                listener_->OnGroupEnded(branch->group);
            }
            break;
        }
        listener_->OnRunFailed(E_FAIL, text);
        break;
    }
    case GST_MESSAGE_EOS:
        listener_->OnRunFailed(E_UNEXPECTED, "the output ended");
        break;
    default:
        break;
    }
}

}  // namespace wavetap::engine
