#pragma once
// The thread of an encoder page's run. It owns its CWavetap from creation to destruction:
// it sets the encoder up from an EncoderRunSpec, starts it, registers the broadcast, then
// waits for the page's stop event while pumping its messages (the encoder's events arrive
// on this thread) and stops the encoder. It talks to the page only through the owner
// messages the encoder posts (WM_WAVETAP_NOTIFY) and the stop event.

#include "platform/sync.h"
#include "wavetap/wavetap.h"

#include <QPointer>
#include <QString>
#include <QThread>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// One AddSource call.
struct EncoderSource {
    QString groupName;
    QString videoInput;
    QString audioInput;
    QString profileName;
    WAVETAP_STREAM_TYPE streamType = WAVETAP_AUDIO_VIDEO;
    int logo = 0;
    QString rolloverGroup;
    int noPreview = 0;
};

// The "record_1" source of a device broadcast: "ScreenCap://ScreenCapture1" with an "ntsc_"
// profile for the screen entry, else "DEVICE://" + the device with a "pal_" profile; the
// profile name unchanged and audio only for an audio broadcast.
EncoderSource DeviceSource(const QString& videoDevice, const QString& audioDevice, const QString& profile,
                           bool audioOnly, int logo);

// The DRM material of AddDRMProfile.
struct EncoderDrmMaterial {
    QString providerUrl;
    QString licenseUrl;
    QString privateKey;
    QString signedPublicKey;
    QString licenseServerCert;
    QString rootCert;
};

// What AddDRMProfile hands back, for the broadcast's registration.
struct EncoderDrmKeys {
    QString publicKey;
    QString seed;
    QString keyId;
};

struct EncoderRunSpec {
    QPointer<QObject> owner;          // receives WM_WAVETAP_NOTIFY (lives on the page's thread)
    QPointer<QObject> previewWindow;  // null: no preview
    QString profileDir;
    std::vector<EncoderSource> sources;
    QString archivePath;  // empty: no archive file
    // SetDisplayInfo
    QString author;
    QString copyright;
    QString description;
    QString title;
    // SetLiveInfo; an empty server serves on this PC only
    QString server;
    QString publishingPoint;
    int port = 0;
    QString serverUser;
    QString serverPass;
    bool drm = false;
    EncoderDrmMaterial drmMaterial;
    // Called on the worker once the encoder runs; false makes the encoder send owner code 7.
    std::function<bool(const EncoderDrmKeys&)> registerBroadcast;
};

// The local time as the names of archive files take it: "%Y%m%d%H%M%S" + ".wma" for
// audio only, else ".wmv".
QString ArchiveFileName(bool audioOnly);

class CEncoderWorker : public QThread {
    Q_OBJECT
public:
    CEncoderWorker(EncoderRunSpec spec, std::shared_ptr<platform::Event> stopEvent, QObject* parent = nullptr);

    // True once StartEncode succeeded (read after the thread ended or on code 6).
    bool Started() const { return started_; }
    // Runs `call` with the run's encoder on this worker's thread, while the run waits for
    // its stop event; dropped when no encoder is up (before the run or after it ended).
    void Post(std::function<void(CWavetap&)> call);

    // True when StartEncode itself failed (the page enables its close button then).
    bool StartFailed() const { return startFailed_; }

protected:
    void run() override;

private:
    // Every set-up call before StartEncode; false at the first that fails.
    bool SetUp(CWavetap& wavetap, EncoderDrmKeys& keys);

    EncoderRunSpec spec_;
    std::shared_ptr<platform::Event> stopEvent_;
    std::atomic<bool> started_{false};
    std::atomic<bool> startFailed_{false};
    // Where Post delivers: an object living on this thread while the encoder exists.
    std::mutex postMutex_;
    QObject* postTarget_ = nullptr;
    CWavetap* postEncoder_ = nullptr;
};
