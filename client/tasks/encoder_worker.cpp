#include "client/tasks/encoder_worker.h"

#include "client/shell/client_globals.h"

#include <QDateTime>

QString ArchiveFileName(bool audioOnly) {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")) +
           (audioOnly ? QStringLiteral(".wma") : QStringLiteral(".wmv"));
}

EncoderSource DeviceSource(const QString& videoDevice, const QString& audioDevice, const QString& profile,
                           bool audioOnly, int logo) {
    const bool screen = videoDevice == kScreenCaptureDevice;
    EncoderSource source;
    source.groupName = QStringLiteral("record_1");
    source.videoInput = screen ? QStringLiteral("ScreenCap://ScreenCapture1") : QStringLiteral("DEVICE://") + videoDevice;
    source.audioInput = QStringLiteral("DEVICE://") + audioDevice;
    if (audioOnly) {
        source.profileName = profile;
        source.streamType = WAVETAP_AUDIO_ONLY;
    } else {
        source.profileName = (screen ? QStringLiteral("ntsc_") : QStringLiteral("pal_")) + profile;
        source.streamType = WAVETAP_AUDIO_VIDEO;
    }
    source.logo = logo;
    return source;
}

CEncoderWorker::CEncoderWorker(EncoderRunSpec spec, std::shared_ptr<platform::Event> stopEvent, QObject* parent)
    : QThread(parent), spec_(std::move(spec)), stopEvent_(std::move(stopEvent)) {}

bool CEncoderWorker::SetUp(CWavetap& wavetap, EncoderDrmKeys& keys) {
    if (spec_.previewWindow) wavetap.SetPreview(spec_.previewWindow.data());
    wavetap.SetProfileDir(spec_.profileDir);
    for (const EncoderSource& s : spec_.sources) {
        if (!wavetap.AddSource(s.groupName, s.videoInput, s.audioInput, s.profileName, s.streamType, s.logo,
                               s.rolloverGroup, s.noPreview))
            return false;
    }
    if (!spec_.archivePath.isEmpty() && !wavetap.SetSaveInfo(spec_.archivePath)) return false;
    if (!wavetap.SetDisplayInfo(spec_.author, spec_.copyright, spec_.description, spec_.title)) return false;
    if (!wavetap.SetLiveInfo(spec_.server, spec_.publishingPoint, spec_.port, spec_.serverUser, spec_.serverPass, 1))
        return false;
    if (spec_.drm) {
        const EncoderDrmMaterial& m = spec_.drmMaterial;
        if (!wavetap.AddDRMProfile(m.providerUrl, m.licenseUrl, m.privateKey, m.signedPublicKey, m.licenseServerCert,
                                   m.rootCert, keys.publicKey, keys.seed, keys.keyId))
            return false;
    }
    return true;
}

void CEncoderWorker::run() {
    auto wavetap = std::make_unique<CWavetap>(spec_.owner.data());
    EncoderDrmKeys keys;
    if (!SetUp(*wavetap, keys)) {
        wavetap->SendOwnerMessage(WM_WAVETAP_PREPARE_FAIL, 0);
        return;
    }
    if (wavetap->StartEncode()) {
        started_ = true;
        if (spec_.registerBroadcast && !spec_.registerBroadcast(keys))
            wavetap->SendOwnerMessage(WM_WAVETAP_PREPARE_FAIL, 0);
    } else {
        startFailed_ = true;
        // The encoder sends code 7 itself when preparing or starting failed; a start it
        // refused before that (no output chosen) still has to end the page's run.
        if (wavetap->GetState() == WAVETAP_STOPPED) wavetap->SendOwnerMessage(WM_WAVETAP_PREPARE_FAIL, 0);
    }
    QObject postTarget;  // lives on this thread: what Post sends runs here while the wait pumps
    {
        std::lock_guard lock(postMutex_);
        postTarget_ = &postTarget;
        postEncoder_ = wavetap.get();
    }
    platform::WaitWhilePumping(*stopEvent_, platform::INFINITE_WAIT, 50);
    {
        std::lock_guard lock(postMutex_);
        postTarget_ = nullptr;
        postEncoder_ = nullptr;
    }
    wavetap->StopEncode();
}

void CEncoderWorker::Post(std::function<void(CWavetap&)> call) {
    std::lock_guard lock(postMutex_);
    if (!postTarget_) return;
    CWavetap* encoder = postEncoder_;
    QMetaObject::invokeMethod(postTarget_, [call = std::move(call), encoder] { call(*encoder); }, Qt::QueuedConnection);
}
