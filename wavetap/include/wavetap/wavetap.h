#pragma once
// CWavetap: one live encoding run. It builds source groups from capture devices, the
// screen or media files, encodes them with a profile chosen by name, serves the stream
// for pull on HTTP port 9100 and/or writes an archive file, shows preview and postview
// video in caller windows, and posts WM_WAVETAP_NOTIFY to its owner. Window handles are
// QObjects (widgets for views). All calls on the thread that constructed the object;
// its events arrive on that thread while it pumps messages.

#include "wavetap/encoder_events.h"
#include "wavetap/export.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>

namespace wavetap::engine {
class Encoder;
class SourceGroupCollection;
class DataView;
struct Profile;
}  // namespace wavetap::engine

// WM_USER + 1000.
inline constexpr unsigned WM_WAVETAP_NOTIFY = 2024;

// wParam codes of WM_WAVETAP_NOTIFY.
enum WAVETAP_NOTIFY_CODE : unsigned {
    WM_WAVETAP_STOP = 0,
    WM_WAVETAP_GROUP_ACTIVE = 1,
    WM_WAVETAP_PREVIEW_STOP = 2,
    WM_WAVETAP_POSTVIEW_STOP = 3,
    WM_WAVETAP_ARCHIVE_STOP = 5,
    WM_WAVETAP_START = 6,
    WM_WAVETAP_PREPARE_FAIL = 7,
    WM_WAVETAP_NO_CONNECTION = 8,
};

enum WAVETAP_STATE {
    WAVETAP_STARTING = 0,
    WAVETAP_RUNNING = 1,
    WAVETAP_STOPPING = 2,
    WAVETAP_STOPPED = 3,
};

enum WAVETAP_STREAM_TYPE {
    WAVETAP_AUDIO_VIDEO = 0,
    WAVETAP_VIDEO_ONLY = 1,
    WAVETAP_AUDIO_ONLY = 2,
};

class WAVETAP_EXPORT CWavetap {
public:
    using BOOL = int;
    using HRESULT = std::int32_t;

    // The event sink attached to the encoder.
    class CCallBack : public wavetap::EncoderEventSink {
    public:
        explicit CCallBack(CWavetap* owner) : m_pWavetap(owner) {}
        std::int32_t OnStateChange(int state) override;
        std::int32_t OnSourceStateChange(int state, int type, int index, const QString& group) override;
        std::int32_t OnArchiveStateChange(int type, int state) override;
        std::int32_t OnAcquireCredentials(const QString& realm, const QString& site, QString* user,
                                          QString* password, int* flags) override;
        std::int32_t OnError(std::int32_t error) override;

        std::uint32_t m_dwCookie = 0xFEFEFEFE;
        int m_nState = 0;
        int m_nSourceState = 0;
        QString m_strUser;
        QString m_strPassword;
        CWavetap* m_pWavetap;
    };

    explicit CWavetap(QObject* owner);
    virtual ~CWavetap();
    CWavetap(const CWavetap&) = delete;
    CWavetap& operator=(const CWavetap&) = delete;

    BOOL AddSource(QString groupName, QString videoInput, QString audioInput, QString profileName,
                   WAVETAP_STREAM_TYPE streamType, BOOL logo, QString rolloverGroup, BOOL noPreview);
    BOOL SetLiveInfo(QString server, QString publishingPoint, int port, QString user, QString password,
                     BOOL autoRemove);
    BOOL SetSaveInfo(QString path);
    BOOL SetDisplayInfo(QString author, QString copyright, QString description, QString title);
    void SetProfileDir(QString directory);
    void SetPreview(QObject* window);
    void SetPostview(QObject* window);
    BOOL StartEncode();
    void StopEncode();
    WAVETAP_STATE GetState() const;
    BOOL SwitchSource(QString groupName);
    BOOL GetCurGrpName(QString& name);
    BOOL GetTransformProcess(int& percent);
    void SendOwnerMessage(unsigned code, long lParam);
    BOOL AddDRMProfile(QString providerUrl, QString licenseUrl, QString privateKey, QString signedPublicKey,
                       QString licenseServerCert, QString rootCert, QString& publicKey, QString& seed,
                       QString& keyId);
    void RemoveDRMProfile();

    // Output mode: 0 nothing chosen, 2 file only, 3 server only, 1 file and server.
    int OutputMode() const { return m_nOutputMode; }

protected:
    BOOL Init();
    HRESULT GetProfile(const QString& name, const wavetap::engine::Profile** profile);
    HRESULT Ready();
    HRESULT Start();
    HRESULT Stop();
    HRESULT StartView();
    HRESULT StopView();
    void ReleaseAll();

private:
    void Log(const QString& message) const;

    int m_bInitFailed = 0;
    std::unique_ptr<wavetap::engine::Encoder> m_pEncoder;
    wavetap::engine::SourceGroupCollection* m_pSourceGroups = nullptr;
    std::shared_ptr<wavetap::engine::DataView> m_pPreview;
    std::shared_ptr<wavetap::engine::DataView> m_pPostview;
    CCallBack m_sink;
    QPointer<QObject> m_hOwner;
    QPointer<QObject> m_hPreviewWnd;
    QPointer<QObject> m_hPostviewWnd;
    std::int32_t m_lPreviewCookie = -1;
    std::int32_t m_lPostviewCookie = -1;
    BOOL m_bPreviewRunning = 0;
    BOOL m_bPostviewRunning = 0;
    WAVETAP_STATE m_state = WAVETAP_STOPPED;
    QString m_strProfileDir;
    QString m_strCurGroup;
    int m_nOutputMode = 0;
    BOOL m_bNotifyOnStop = 1;
    QString m_strDRMProfileID;
    BOOL m_bDRMProfileAdded = 0;
};
