#pragma once
// The GStreamer pipeline of one encoding run. One continuous timeline: every group's
// sources feed a compositor and an audio mixer that also carry a live black/silent
// background, so the output keeps the clock's pace whatever a group does. Live groups
// (devices, the screen) run all the time and are shown or hidden; a file group is built
// when it becomes active, so it starts from its beginning, and paced by the mixers.
// The mixed picture and sound are encoded once (WMV 8, WMA 2) and muxed into ASF for the
// archive file and, separately, as a streamable ASF for the pull server and the push.

#include "drm/content_protection.h"
#include "engine/encoding_graph.h"
#include "engine/profile.h"
#include "engine/results.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <chrono>
#include <map>
#include <memory>
#include <vector>

typedef struct _GstElement GstElement;
typedef struct _GstBus GstBus;
typedef struct _GstMessage GstMessage;
typedef struct _GSource GSource;

namespace wavetap::engine {

class PushClient;
class SourceGroup;
class StreamOutput;
struct GroupBranch;

// Called on the thread that built the graph, while it pumps (except OnViewFrame).
class RunGraphListener {
public:
    virtual ~RunGraphListener() = default;
    // Every source of the group ended (end of file, or a device failed).
    virtual void OnGroupEnded(SourceGroup* group) = 0;
    // The run cannot go on (encoder, muxer or file failure).
    virtual void OnRunFailed(HRESULT error, const QString& reason) = 0;
    // A frame of the encoder's picture for the data views; on a streaming thread.
    virtual void OnViewFrame(const QImage& frame) = 0;
};

struct RunSettings {
    Profile profile;
    QString archivePath;  // empty: no archive file
    int httpPort = 0;     // 0: no pull server
    int maxViewers = 500;
    std::shared_ptr<PushClient> push;  // set up already; null: no push
    bool views = false;
    QString title;
    QString author;
    QString copyright;
    QString description;
    // Set for a protected run: the archive and the stream carry only protected content.
    std::shared_ptr<const drm::ContentProtection> protection;
};

class RunGraph : public EncodingGraph {
public:
    RunGraph(RunSettings settings, RunGraphListener* listener);
    ~RunGraph() override;
    RunGraph(const RunGraph&) = delete;
    RunGraph& operator=(const RunGraph&) = delete;

    // Builds the pipeline with the live groups' sources; file groups are built on activation.
    HRESULT Build(const std::vector<SourceGroup*>& groups, QString* reason) override;
    // Starts the clock with the group shown.
    HRESULT Play(SourceGroup* active, QString* reason) override;
    // Shows `to` instead of `from` (either may be null).
    HRESULT Switch(SourceGroup* from, SourceGroup* to) override;
    // Ends the stream so the archive gets its header and index, then stops everything.
    HRESULT Finish() override;
    // Running time of the output in nanoseconds.
    std::int64_t RunningTime() const override;

private:
    static int OnBusMessage(GstBus* bus, GstMessage* message, void* self);
    void HandleMessage(GstMessage* message);
    HRESULT BuildOutput(QString* reason);
    HRESULT AddBranch(SourceGroup* group, std::int64_t offset, bool shown, QString* reason);
    void RemoveBranch(SourceGroup* group);
    void ShowBranch(GroupBranch* branch, bool shown);
    GroupBranch* BranchOf(SourceGroup* group) const;
    GroupBranch* BranchOfElement(void* object) const;
    void StreamEnded(int branchId, bool live);

    RunSettings settings_;
    RunGraphListener* listener_;
    GstElement* pipeline_ = nullptr;
    GstElement* videoMixer_ = nullptr;
    GstElement* audioMixer_ = nullptr;
    GstElement* videoEntry_ = nullptr;  // first element after the compositor
    GstElement* audioEntry_ = nullptr;  // first element after the audio mixer
    GSource* busWatch_ = nullptr;
    std::unique_ptr<StreamOutput> streamOutput_;
    GstBus* pushBus_ = nullptr;  // where the push thread reports a lost connection
    std::map<int, std::unique_ptr<GroupBranch>> branches_;
    int nextBranchId_ = 1;
    bool playing_ = false;
    std::chrono::system_clock::time_point startedAt_;  // the archive's creation date
};

}  // namespace wavetap::engine
