#include "engine/encoder.h"

#include "engine/device_catalog.h"
#include "engine/media_probe.h"
#include "engine/push_client.h"
#include "engine/stream_output.h"
#include "engine/transcode_graph.h"

#include <QFileInfo>

namespace wavetap::engine {

Encoder::Encoder() : eventContext_(std::make_unique<QObject>()) {
    groups_.SetSwitchHandler([this](SourceGroup* group) {
        if (runState_ != kEncoderRunning) {
            groups_.MarkActive(group);
            return S_OK;
        }
        if (group == groups_.Active()) return S_OK;
        QueueSourceEvents(groups_.Active(), kSourceStopped);
        return SwitchTo(group);
    });
}

Encoder::~Encoder() {
    sinks_.clear();
    Stop();
    graph_.reset();
}

HRESULT Encoder::SetLocalFileName(const QString& path) {
    archivePath_ = path;
    return S_OK;
}

std::shared_ptr<DataView> Encoder::CreateDataView() {
    auto view = std::make_shared<DataView>();
    views_.push_back(view);
    return view;
}

HRESULT Encoder::PrepareToEncode(bool prepare) {
    if (!prepare) {
        if (runState_ != kEncoderStopped) Stop();
        graph_.reset();
        prepared_ = false;
        return S_OK;
    }
    if (runState_ != kEncoderStopped) return E_UNEXPECTED;
    graph_.reset();
    prepared_ = false;
    const auto fail = [this](HRESULT hr, const QString& why) {
        lastFailure_ = why;
        graph_.reset();
        return hr;
    };
    if (groups_.Count() == 0) return fail(E_UNEXPECTED, "no source group");
    std::vector<SourceGroup*> groups;
    for (int i = 0; i < groups_.Count(); ++i) {
        SourceGroup* group = groups_.Item(i);
        if (!group->GetProfile()) return fail(NS_E_PROFILE_NOT_FOUND, "group " + group->Name() + " has no profile");
        if (!group->RolloverGroup().isEmpty() && !groups_.Find(group->RolloverGroup()))
            return fail(E_INVALIDARG, "unknown rollover group " + group->RolloverGroup());
        for (Source* source : group->Sources()) {
            const int medium = source->Type() == kSourceVideo ? kMediaVideo : kMediaAudio;
            if (source->Kind() == InputKind::Device) {
                auto device = FindDevice(source->Resource());
                if (!device || !(device->mediaFlags & medium))
                    return fail(NS_E_DEVICE_NOT_FOUND, "no device " + source->Resource());
            } else if (source->Kind() == InputKind::File) {
                MediaFileInfo info;
                if (HRESULT hr = ProbeMediaFile(source->Resource(), &info); Failed(hr))
                    return fail(hr, "not a playable media file: " + source->Resource());
                source->SetDuration(info.duration100ns);
            }
        }
        groups.push_back(group);
    }
    const bool serve = broadcast_.httpPort > 0;
    const bool push = !broadcast_.serverName.isEmpty();
    if (archivePath_.isEmpty() && !serve && !push)
        return fail(NS_E_NO_OUTPUT, "neither an archive file nor a broadcast");
    if (serve && !StreamOutput::Available()) return fail(E_FAIL, "this build has no pull server");
    std::shared_ptr<PushClient> pushClient;
    if (push) {
        // The push setup reaches the media server now, so a refused push fails the preparation.
        pushClient = std::make_shared<PushClient>(PushTarget{broadcast_.serverName, broadcast_.pushPort,
                                                             broadcast_.publishingPoint,
                                                             broadcast_.autoRemovePublishingPoint});
        QString reason;
        if (HRESULT hr = pushClient->Setup([this](const QString& realm, const QString& site, QString* user,
                                                  QString* password) { return AcquireCredentials(realm, site, user, password); },
                                           &reason);
            Failed(hr))
            return fail(hr, reason);
    }

    RunSettings settings;
    settings.profile = *groups.front()->GetProfile();
    settings.archivePath = archivePath_;
    settings.httpPort = broadcast_.httpPort;
    settings.maxViewers = MaxClientConnections();
    settings.push = pushClient;
    settings.views = !views_.empty();
    settings.title = display_.title;
    settings.author = display_.author;
    settings.copyright = display_.copyright;
    settings.description = display_.description;
    settings.protection = drmAuthor_.SessionProtection();
    if (fileConversion_ && TranscodeGraph::Suits(groups, settings))
        graph_ = std::make_unique<TranscodeGraph>(settings, static_cast<RunGraphListener*>(this));
    else
        graph_ = std::make_unique<RunGraph>(settings, static_cast<RunGraphListener*>(this));
    QString reason;
    if (HRESULT hr = graph_->Build(groups, &reason); Failed(hr)) return fail(hr, reason);
    prepared_ = true;
    return S_OK;
}

HRESULT Encoder::Start() {
    if (!prepared_ || !graph_ || runState_ != kEncoderStopped) return E_UNEXPECTED;
    SourceGroup* active = groups_.Active();
    QString reason;
    if (HRESULT hr = graph_->Play(active, &reason); Failed(hr)) {
        lastFailure_ = reason;
        graph_->Finish();
        return hr;
    }
    runState_ = kEncoderRunning;
    QueueEvent([](EncoderEventSink* sink) { sink->OnStateChange(kEncoderRunning); });
    QueueSourceEvents(active, kSourceStarted);
    return S_OK;
}

HRESULT Encoder::Stop() {
    if (runState_ == kEncoderStopped || !graph_) {
        runState_ = kEncoderStopped;
        return S_OK;
    }
    runState_ = kEncoderStopping;
    const HRESULT hr = graph_->Finish();
    runState_ = kEncoderStopped;
    if (!archivePath_.isEmpty())
        QueueEvent([](EncoderEventSink* sink) { sink->OnArchiveStateChange(1, kArchiveStopped); });
    QueueEvent([](EncoderEventSink* sink) { sink->OnStateChange(kEncoderStopped); });
    return hr;
}

HRESULT Encoder::ElapsedTime(std::int64_t* elapsed) const {
    if (!elapsed) return E_INVALIDARG;
    *elapsed = graph_ && runState_ == kEncoderRunning ? graph_->RunningTime() / 100 : 0;
    return S_OK;
}

std::uint32_t Encoder::Advise(EncoderEventSink* sink) {
    const std::uint32_t cookie = nextCookie_++;
    sinks_[cookie] = sink;
    return cookie;
}

HRESULT Encoder::Unadvise(std::uint32_t cookie) { return sinks_.erase(cookie) ? S_OK : E_INVALIDARG; }

bool Encoder::AcquireCredentials(const QString& realm, const QString& site, QString* user, QString* password) {
    std::vector<std::uint32_t> cookies;
    for (const auto& [cookie, sink] : sinks_) cookies.push_back(cookie);
    bool answered = false;
    for (std::uint32_t cookie : cookies) {
        auto it = sinks_.find(cookie);
        if (it == sinks_.end()) continue;
        QString givenUser, givenPassword;
        int flags = 0;
        it->second->OnAcquireCredentials(realm, site, &givenUser, &givenPassword, &flags);
        if (!givenUser.isEmpty()) {
            *user = givenUser;
            *password = givenPassword;
            answered = true;
        }
    }
    return answered;
}

HRESULT Encoder::SwitchTo(SourceGroup* group) {
    SourceGroup* previous = groups_.Active();
    const HRESULT hr = graph_->Switch(previous, group);
    groups_.MarkActive(group);
    if (Failed(hr)) {
        // The group's sources could not be opened: the run cannot go on.
        Stop();
        return hr;
    }
    QueueSourceEvents(group, kSourceStarted);
    return S_OK;
}

void Encoder::QueueSourceEvents(SourceGroup* group, int state) {
    if (!group) return;
    const QString name = group->Name();
    for (int type : {kSourceAudio, kSourceVideo}) {
        if (!group->GetSource(type, 0)) continue;
        QueueEvent([=](EncoderEventSink* sink) { sink->OnSourceStateChange(state, type, 0, name); });
    }
}

void Encoder::QueueEvent(std::function<void(EncoderEventSink*)> event) {
    QMetaObject::invokeMethod(eventContext_.get(), [this, event = std::move(event)] {
        std::vector<std::uint32_t> cookies;
        for (const auto& [cookie, sink] : sinks_) cookies.push_back(cookie);
        for (std::uint32_t cookie : cookies) {
            // A handler may detach sinks (or stop the run); only sinks still attached hear it.
            auto it = sinks_.find(cookie);
            if (it != sinks_.end()) event(it->second);
        }
    }, Qt::QueuedConnection);
}

void Encoder::OnGroupEnded(SourceGroup* group) {
    if (runState_ != kEncoderRunning || group != groups_.Active()) return;
    QueueSourceEvents(group, kSourceStopped);
    if (SourceGroup* next = groups_.Find(group->RolloverGroup())) {
        SwitchTo(next);
        return;
    }
    Stop();
}

void Encoder::OnRunFailed(HRESULT error, const QString& reason) {
    if (runState_ != kEncoderRunning) return;
    lastFailure_ = reason;
    QueueEvent([error](EncoderEventSink* sink) { sink->OnError(error); });
    Stop();
}

void Encoder::OnViewFrame(const QImage& frame) {
    for (const auto& weak : views_)
        if (auto view = weak.lock()) view->DeliverFrame(frame);
}

}  // namespace wavetap::engine
