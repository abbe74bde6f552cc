#pragma once
// The pipeline of a run that turns one media file into an archive file and nothing else:
// the file is decoded, brought to the profile's picture and sound, encoded (WMV 8,
// WMA 2) and muxed as fast as the machine allows, not paced to a clock. The end of the
// file ends the group; the progress is the media time encoded so far.

#include "engine/encoding_graph.h"
#include "engine/run_graph.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

typedef struct _GstPad GstPad;

namespace wavetap::engine {

class TranscodeGraph : public EncodingGraph {
public:
    TranscodeGraph(RunSettings settings, RunGraphListener* listener);
    ~TranscodeGraph() override;
    TranscodeGraph(const TranscodeGraph&) = delete;
    TranscodeGraph& operator=(const TranscodeGraph&) = delete;

    // Whether a run of these groups with these outputs is a transcode: one group whose
    // sources play files, no rollover, an archive file and no broadcast, views or protection.
    static bool Suits(const std::vector<SourceGroup*>& groups, const RunSettings& settings);

    HRESULT Build(const std::vector<SourceGroup*>& groups, QString* reason) override;
    HRESULT Play(SourceGroup* active, QString* reason) override;
    HRESULT Switch(SourceGroup*, SourceGroup*) override { return S_OK; }
    HRESULT Finish() override;
    // The media time every stream has been encoded up to (the slowest stream's).
    std::int64_t RunningTime() const override;

private:
    static void OnPadAdded(GstElement* decoder, GstPad* pad, void* self);
    static void OnNoMorePads(GstElement* decoder, void* self);
    static int OnBusMessage(GstBus* bus, GstMessage* message, void* self);
    bool LinkStream(GstPad* pad, bool video);
    void HandleMessage(GstMessage* message);

    RunSettings settings_;
    RunGraphListener* listener_;
    SourceGroup* group_ = nullptr;
    bool wantVideo_ = false;
    bool wantAudio_ = false;
    GstElement* pipeline_ = nullptr;
    GstElement* decoder_ = nullptr;
    GstElement* muxer_ = nullptr;
    std::vector<GstPad*> chainSinks_;  // where an early end is pushed in (references)
    GSource* busWatch_ = nullptr;
    std::mutex linkMutex_;  // pads come on the decoder's streaming threads
    bool videoLinked_ = false;
    bool audioLinked_ = false;
    // Media time encoded per stream: [0] video, [1] audio; -1 while a stream is not linked.
    std::atomic<std::int64_t> encoded_[2] = {-1, -1};
    bool playing_ = false;
    std::chrono::system_clock::time_point startedAt_;  // the archive's creation date
    bool ended_ = false;
};

}  // namespace wavetap::engine
