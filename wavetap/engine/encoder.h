#pragma once
// The encoder object: source groups, profiles, broadcast, archive file, display
// information, statistics and events, driven as PrepareToEncode / Start / Stop. It
// belongs to the thread that creates it; events are delivered on that thread while it
// pumps its messages, to the sinks attached with Advise.

#include "drm/drm_content_author.h"
#include "engine/data_view.h"
#include "engine/profile.h"
#include "engine/results.h"
#include "engine/run_graph.h"
#include "engine/source_group.h"
#include "wavetap/encoder_events.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace wavetap::engine {

inline constexpr int kEncoderStarting = 1;
inline constexpr int kEncoderRunning = 2;
inline constexpr int kEncoderStopping = 4;
inline constexpr int kEncoderStopped = 5;

inline constexpr int kSourceStarted = 1;
inline constexpr int kSourceStopped = 2;
inline constexpr int kArchiveStopped = 3;

inline constexpr int kProtocolHttp = 1;
inline constexpr int kProtocolPushDistribution = 2;

struct DisplayInformation {
    QString author;
    QString copyright;
    QString description;
    QString title;
};

struct BroadcastSettings {
    int httpPort = 0;
    int pushPort = 0;
    QString serverName;
    QString publishingPoint;
    bool autoRemovePublishingPoint = false;
};

class Encoder : private RunGraphListener {
public:
    Encoder();
    ~Encoder() override;
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    SourceGroupCollection& SourceGroups() { return groups_; }
    ProfileCollection& Profiles() { return profiles_; }
    BroadcastSettings& Broadcast() { return broadcast_; }
    DisplayInformation& Display() { return display_; }
    // Its DRM profiles and the profile this encoding is protected with.
    drm::DrmContentAuthor& DRMContentAuthor() { return drmAuthor_; }
    // The archive file; empty for none.
    HRESULT SetLocalFileName(const QString& path);
    QString LocalFileName() const { return archivePath_; }
    // File conversion: a run of one file group into an archive file only is encoded as fast
    // as the machine allows instead of at the clock's pace (the batch file-to-file job).
    void SetFileConversion(bool convert) { fileConversion_ = convert; }
    // The data view that the preview/postview collections use.
    std::shared_ptr<DataView> CreateDataView();

    // Checks the inputs and builds the run (true), or releases it (false).
    HRESULT PrepareToEncode(bool prepare);
    HRESULT Start();
    HRESULT Stop();
    int RunState() const { return runState_; }
    // Statistics: encoding time in 100-ns units.
    HRESULT ElapsedTime(std::int64_t* elapsed) const;
    // Why the last PrepareToEncode or Start failed.
    QString LastFailure() const { return lastFailure_; }

    // Event sinks: Advise gives a cookie for Unadvise.
    std::uint32_t Advise(EncoderEventSink* sink);
    HRESULT Unadvise(std::uint32_t cookie);

private:
    void OnGroupEnded(SourceGroup* group) override;
    void OnRunFailed(HRESULT error, const QString& reason) override;
    void OnViewFrame(const QImage& frame) override;

    // The acquire-credentials event, delivered to the sinks at once (the push setup waits for it).
    bool AcquireCredentials(const QString& realm, const QString& site, QString* user, QString* password);
    HRESULT SwitchTo(SourceGroup* group);
    void QueueSourceEvents(SourceGroup* group, int state);
    void QueueEvent(std::function<void(EncoderEventSink*)> event);

    SourceGroupCollection groups_;
    ProfileCollection profiles_;
    BroadcastSettings broadcast_;
    DisplayInformation display_;
    drm::DrmContentAuthor drmAuthor_;
    QString archivePath_;
    std::vector<std::weak_ptr<DataView>> views_;
    std::unique_ptr<EncodingGraph> graph_;
    bool prepared_ = false;
    bool fileConversion_ = false;
    int runState_ = kEncoderStopped;
    QString lastFailure_;
    std::map<std::uint32_t, EncoderEventSink*> sinks_;
    std::uint32_t nextCookie_ = 1;
    // Queued events are delivered through this object, on the encoder's thread.
    std::unique_ptr<QObject> eventContext_;
};

}  // namespace wavetap::engine
