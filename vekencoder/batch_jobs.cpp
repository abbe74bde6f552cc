#include "vekencoder/batch_jobs.h"

#include "job_support.h"

#include <QDateTime>

#include <cstdlib>
#include <ctime>
#include <memory>

using namespace wavetap::engine;
using vekencoder::JobPump;
using vekencoder::JobSink;
using vekencoder::JobTick;
using vekencoder::LookUpProfile;
using vekencoder::TitleFromPath;

namespace {

void SetPush(Encoder& encoder, const QString& server, const QString& publishingPoint, int port) {
    BroadcastSettings& broadcast = encoder.Broadcast();
    broadcast.pushPort = port;
    broadcast.autoRemovePublishingPoint = true;
    broadcast.serverName = server;
    broadcast.publishingPoint = publishingPoint;
}

void SetDisplay(Encoder& encoder, const QString& author, const QString& title, const QString& description) {
    DisplayInformation& display = encoder.Display();
    display.author = author;
    display.copyright = author;
    display.title = title;
    display.description = description;
}

// A view of the job and the cookie of its stream.
struct JobView {
    std::shared_ptr<DataView> view;
    int cookie = -1;
    QObject* window = nullptr;
};

HRESULT ShowViews(std::initializer_list<JobView*> views) {
    for (JobView* v : views) {
        if (!v->view) continue;
        if (HRESULT hr = v->view->SetViewProperties(v->cookie, v->window); Failed(hr)) return hr;
    }
    return S_OK;
}

HRESULT StartViews(std::initializer_list<JobView*> views) {
    for (JobView* v : views) {
        if (!v->view) continue;
        if (HRESULT hr = v->view->StartView(v->cookie); Failed(hr)) return hr;
    }
    return S_OK;
}

void StopViews(std::initializer_list<JobView*> views) {
    for (JobView* v : views)
        if (v->view) v->view->StopView(v->cookie);
}

// Detaches the sink, stops the views and the encoder, un-prepares it: the last result.
HRESULT EndJob(Encoder& encoder, JobSink& sink, std::initializer_list<JobView*> views) {
    encoder.Unadvise(sink.cookie);
    sink.cookie = 0xFEFEFEFE;
    StopViews(views);
    encoder.Stop();
    return encoder.PrepareToEncode(false);
}

}  // namespace

std::int32_t EncodeDevice(QString videoInput, QString audioInput, QString profileName, QString server,
                          QString publishingPoint, int port, int, QString archive, int streamType, int output,
                          QObject*, QObject* previewWindow, QObject* postviewWindow, QString author, QString title,
                          QString description, QString user, QString password) {
    JobPump pump;
    auto encoder = std::make_unique<Encoder>();
    JobSink sink(user, password);
    sink.cookie = encoder->Advise(&sink);
    const bool audioOnly = streamType == 1;
    JobView preview{nullptr, -1, previewWindow};
    JobView postview{nullptr, -1, postviewWindow};

    SourceGroup* group = encoder->SourceGroups().Add("SG_" + QDateTime::currentDateTime().toString("yyyyMMddHHmmss"));
    if (!group) return E_FAIL;
    Source* audio = group->AddSource(kSourceAudio);
    Source* video = audioOnly ? nullptr : group->AddSource(kSourceVideo);
    if (HRESULT hr = audio->SetInput(audioInput, "", ""); Failed(hr)) return hr;
    if (video) {
        if (HRESULT hr = video->SetInput(videoInput, "", ""); Failed(hr)) return hr;
    }
    const Profile* match = nullptr;
    const Profile* last = nullptr;
    if (HRESULT hr = LookUpProfile(*encoder, profileName, &match, &last); Failed(hr)) return hr;
    if (match) group->SetProfile(*match);  // without one, preparing fails
    if (output != 0) SetPush(*encoder, server, publishingPoint, port);
    if (output != 1) {
        if (HRESULT hr = encoder->SetLocalFileName(archive); Failed(hr)) return hr;
    }
    if (video) {
        if (previewWindow) {
            preview.view = encoder->CreateDataView();
            preview.cookie = video->AddPreview(preview.view.get());
        }
        if (postviewWindow) {
            postview.view = encoder->CreateDataView();
            postview.cookie = video->AddPostview(postview.view.get());
        }
    }
    SetDisplay(*encoder, author, title.isEmpty() && !archive.isEmpty() ? TitleFromPath(archive) : title, description);
    if (HRESULT hr = encoder->PrepareToEncode(true); Failed(hr)) return hr;
    if (HRESULT hr = ShowViews({&preview, &postview}); Failed(hr)) return hr;
    if (HRESULT hr = encoder->Start(); Failed(hr)) return hr;
    if (HRESULT hr = StartViews({&preview, &postview}); Failed(hr)) return hr;
    for (;;) {
        if (pump.Pump()) break;
        JobTick();
        if (sink.sourceState == kSourceStopped || sink.state == kEncoderStopped) break;
    }
    return EndJob(*encoder, sink, {&preview, &postview});
}

std::int32_t EncodeFileFromDevice(QString videoInput, QString audioInput, QString profileName, int streamType,
                                  QString archive, QObject* window, QObject* previewWindow, QString author,
                                  QString description) {
    return EncodeDevice(videoInput, audioInput, profileName, "", "", 0, 0, archive, streamType, 0, window,
                        previewWindow, nullptr, author, TitleFromPath(archive), description, "", "");
}

std::int32_t EncodeFromFile(QStringList& files, QString profileName, int loop, QString server,
                            QString publishingPoint, int port, int, int streamType, QObject*, QObject* viewWindow,
                            QString author, QString title, QString description, QString user, QString password) {
    JobPump pump;
    auto encoder = std::make_unique<Encoder>();
    JobSink sink(user, password);
    sink.cookie = encoder->Advise(&sink);
    const bool audioOnly = streamType == 1;
    const Profile* match = nullptr;
    const Profile* last = nullptr;
    if (HRESULT hr = LookUpProfile(*encoder, profileName, &match, &last); Failed(hr)) return hr;
    const Profile* profile = match ? match : last;  // no match: the folder's last profile
    // The one view shows whichever group plays; without a window there is nothing to show it in.
    JobView view{audioOnly || !viewWindow ? nullptr : encoder->CreateDataView(), -1, viewWindow};
    for (int i = 0; i < files.size(); ++i) {
        SourceGroup* group = encoder->SourceGroups().Add(QString("SG_%1").arg(i));
        if (!group) return E_FAIL;
        Source* audio = group->AddSource(kSourceAudio);
        Source* video = audioOnly ? nullptr : group->AddSource(kSourceVideo);
        if (HRESULT hr = audio->SetInput(files[i], "", ""); Failed(hr)) return hr;
        if (video) {
            if (HRESULT hr = video->SetInput(files[i], "", ""); Failed(hr)) return hr;
            if (view.view) view.cookie = video->AddPostview(view.view.get());
        }
        if (!profile) return NS_E_PROFILE_NOT_FOUND;  // an empty profile folder
        group->SetProfile(*profile);
        if (i + 1 < files.size())
            group->SetAutoRollover(-1, QString("SG_%1").arg(i + 1));
        else if (loop)
            group->SetAutoRollover(-1, "SG_0");
    }
    SetPush(*encoder, server, publishingPoint, port);
    SetDisplay(*encoder, author, title, description);
    if (HRESULT hr = encoder->PrepareToEncode(true); Failed(hr)) return hr;
    if (HRESULT hr = ShowViews({&view}); Failed(hr)) return hr;
    if (HRESULT hr = encoder->Start(); Failed(hr)) return hr;
    if (HRESULT hr = StartViews({&view}); Failed(hr)) return hr;
    for (;;) {
        if (pump.Pump()) break;
        JobTick();
        if (sink.state == kEncoderStopped) break;  // groups follow each other: only the encoder's end counts
    }
    return EndJob(*encoder, sink, {&view});
}

std::int32_t EncodeFileFromFile(QString input, QString output, QString profileName, int audioOnly,
                                QObject* progressWindow, QString author, QString description) {
    JobPump pump;
    const QString title = TitleFromPath(input);
    auto encoder = std::make_unique<Encoder>();
    encoder->SetFileConversion(true);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    SourceGroup* group = encoder->SourceGroups().Add(QString("SG_ENCFILE_%1").arg(std::rand()));
    if (!group) return E_FAIL;
    Source* audio = group->AddSource(kSourceAudio);
    Source* video = audioOnly ? nullptr : group->AddSource(kSourceVideo);
    if (HRESULT hr = audio->SetInput(input, "", ""); Failed(hr)) return hr;
    if (video) {
        if (HRESULT hr = video->SetInput(input, "", ""); Failed(hr)) return hr;
    }
    SetDisplay(*encoder, author, title, description);
    if (HRESULT hr = encoder->SetLocalFileName(output); Failed(hr)) return hr;
    const Profile* match = nullptr;
    const Profile* last = nullptr;
    const QString wanted = audioOnly ? "audio_" + profileName : profileName;
    if (HRESULT hr = LookUpProfile(*encoder, wanted, &match, &last); Failed(hr)) return hr;
    if (!match) return -1;
    group->SetProfile(*match);
    if (HRESULT hr = encoder->PrepareToEncode(true); Failed(hr)) return hr;
    const std::int64_t duration = audio->Duration();
    if (HRESULT hr = encoder->Start(); Failed(hr)) return hr;
    std::int64_t threshold = 0;
    for (;;) {
        if (pump.Pump()) break;
        if (encoder->RunState() == kEncoderStopped) break;
        std::int64_t elapsed = 0;
        // A file of no length reports no progress rather than dividing by zero.
        if (!Failed(encoder->ElapsedTime(&elapsed)) && duration > 0) {
            const std::int64_t percent = elapsed * 100 / duration;
            if (percent > threshold) {
                platform::PostMessage(progressWindow, WM_ENCODE_PROGRESS, 0, static_cast<platform::LPARAM>(percent));
                threshold += 3;
            }
        }
        JobTick();
    }
    encoder->Stop();
    return encoder->PrepareToEncode(false);
}
