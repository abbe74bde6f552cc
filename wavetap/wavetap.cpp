#include "wavetap/wavetap.h"

#include "encoder_log.h"
#include "engine/encoder.h"
#include "engine/gst_setup.h"
#include "engine/modal_message.h"
#include "platform/messages.h"

#include <gst/gst.h>

#include <cerrno>

using namespace wavetap::engine;

namespace {

constexpr std::int32_t kNoServerConnection = static_cast<std::int32_t>(0xC00D0005);

// The recorder control builds this class into itself and logs a few more steps.
#if defined(WAVETAP_RECORDER_COPY)
constexpr bool kRecorderCopy = true;
#else
constexpr bool kRecorderCopy = false;
#endif
constexpr std::uint32_t kDetachedCookie = 0xFEFEFEFE;

bool EngineInstalled() {
    EnsureGstreamer();
    for (const char* factory : {"avenc_wmv2", "avenc_wmav2", "asfmux", "compositor", "audiomixer"}) {
        GstElementFactory* found = gst_element_factory_find(factory);
        if (!found) return false;
        gst_object_unref(found);
    }
    return true;
}

}  // namespace

CWavetap::CWavetap(QObject* owner) : m_sink(this), m_hOwner(owner) {
    if (!Init()) {
        ShowModalMessage(owner, "创建Encoder出错！请检查系统是否正确安装了Windows Media Encoder9组件！",
                                 "Castora");
        m_bInitFailed = 1;
    }
}

CWavetap::~CWavetap() {
    if (m_pEncoder && m_sink.m_dwCookie != kDetachedCookie) m_pEncoder->Unadvise(m_sink.m_dwCookie);
    ReleaseAll();
}

CWavetap::BOOL CWavetap::Init() {
    if (!EngineInstalled()) {
        if (kRecorderCopy) Log("Shutdown()");
        return 0;
    }
    m_pEncoder = std::make_unique<Encoder>();
    m_sink.m_dwCookie = m_pEncoder->Advise(&m_sink);
    m_pSourceGroups = &m_pEncoder->SourceGroups();
    return 1;
}

void CWavetap::ReleaseAll() {
    if (kRecorderCopy) Log("CWavetap::ReleaseAll");
    m_pPreview.reset();
    m_pPostview.reset();
    m_pSourceGroups = nullptr;
    m_pEncoder.reset();
}

void CWavetap::Log(const QString& message) const { wavetap::AppendEncoderLog(message); }

CWavetap::HRESULT CWavetap::GetProfile(const QString& name, const Profile** profile) {
    if (!m_pEncoder) return E_UNEXPECTED;
    ProfileCollection& profiles = m_pEncoder->Profiles();
    if (!m_strProfileDir.isEmpty()) {
        if (HRESULT hr = profiles.SetDirectory(m_strProfileDir); Failed(hr)) return hr;
    }
    if (HRESULT hr = profiles.Refresh(); Failed(hr)) return hr;
    for (int i = 0; i < profiles.Count(); ++i) {
        if (profiles.Item(i)->name.compare(name, Qt::CaseInsensitive) == 0) {
            *profile = profiles.Item(i);
            return S_OK;
        }
    }
    return NS_E_PROFILE_NOT_FOUND;
}

CWavetap::BOOL CWavetap::AddSource(QString groupName, QString videoInput, QString audioInput, QString profileName,
                                   WAVETAP_STREAM_TYPE streamType, BOOL logo, QString rolloverGroup,
                                   BOOL noPreview) {
    if (!m_pSourceGroups) return 0;
    SourceGroup* group = m_pSourceGroups->Add(groupName);
    if (!group) return 0;
    const Profile* profile = nullptr;
    if (Failed(GetProfile(profileName, &profile)) || Failed(group->SetProfile(*profile))) return 0;
    if (streamType != WAVETAP_VIDEO_ONLY && !audioInput.isEmpty()) {
        Source* audio = group->AddSource(kSourceAudio);
        if (!audio || Failed(audio->SetInput(audioInput, "", ""))) return 0;
    }
    if (streamType != WAVETAP_AUDIO_ONLY && !videoInput.isEmpty()) {
        Source* video = group->AddSource(kSourceVideo);
        if (!video) return 0;
        if (logo && Failed(video->AddTransform(kLogoTransform))) return 0;
        if (Failed(video->SetInput(videoInput, "", ""))) return 0;
        if (!m_pPreview && m_hPreviewWnd) m_pPreview = m_pEncoder->CreateDataView();
        if (m_pPreview && !noPreview) m_lPreviewCookie = video->AddPreview(m_pPreview.get());
        if (!m_pPostview && m_hPostviewWnd) m_pPostview = m_pEncoder->CreateDataView();
        if (m_pPostview) m_lPostviewCookie = video->AddPostview(m_pPostview.get());
    }
    if (!rolloverGroup.isEmpty() && Failed(group->SetAutoRollover(-1, rolloverGroup))) return 0;
    return 1;
}

CWavetap::BOOL CWavetap::SetLiveInfo(QString server, QString publishingPoint, int port, QString user,
                                     QString password, BOOL autoRemove) {
    if (m_state != WAVETAP_STOPPED || !m_pEncoder) return 0;
    BroadcastSettings& broadcast = m_pEncoder->Broadcast();
    m_nOutputMode = m_nOutputMode == 0 ? 3 : 1;
    if (!server.isEmpty()) {
        m_sink.m_strUser = user;
        m_sink.m_strPassword = password;
        broadcast.pushPort = port;
        broadcast.serverName = server;
        broadcast.publishingPoint = publishingPoint;
        if (autoRemove) broadcast.autoRemovePublishingPoint = true;
    }
    broadcast.httpPort = 9100;
    return 1;
}

CWavetap::BOOL CWavetap::SetSaveInfo(QString path) {
    if (m_state != WAVETAP_STOPPED || !m_pEncoder) return 0;
    m_nOutputMode = m_nOutputMode == 0 ? 2 : 1;
    const QString suffix = path.right(3);
    if (path.size() < 3 || (suffix != "wmv" && suffix != "wma")) return 0;
    return Failed(m_pEncoder->SetLocalFileName(path)) ? 0 : 1;
}

CWavetap::BOOL CWavetap::SetDisplayInfo(QString author, QString copyright, QString description, QString title) {
    if (m_state != WAVETAP_STOPPED || !m_pEncoder) return 0;
    DisplayInformation& display = m_pEncoder->Display();
    display.author = author;
    display.copyright = copyright;
    display.description = description;
    display.title = title;
    return 1;
}

void CWavetap::SetProfileDir(QString directory) { m_strProfileDir = directory; }

void CWavetap::SetPreview(QObject* window) {
    if (m_state == WAVETAP_STOPPED) m_hPreviewWnd = window;
}

void CWavetap::SetPostview(QObject* window) {
    if (m_state == WAVETAP_STOPPED) m_hPostviewWnd = window;
}

CWavetap::HRESULT CWavetap::Ready() { return m_pEncoder ? m_pEncoder->PrepareToEncode(true) : E_UNEXPECTED; }

CWavetap::HRESULT CWavetap::Start() { return m_pEncoder ? m_pEncoder->Start() : E_UNEXPECTED; }

CWavetap::BOOL CWavetap::StartEncode() {
    if (m_state != WAVETAP_STOPPED || !m_pEncoder) return 0;
    if (m_nOutputMode == 0) {
        ShowModalMessage(m_hOwner, "必须至少选择一个输出选项（服务器或文件）！", "Castora");
        return 0;
    }
    m_state = WAVETAP_STARTING;
    if (Failed(Ready())) {
        const int lastError = errno;
        Log(QString::asprintf("PrepareToEncode error:%d", lastError));
        Log(m_pEncoder->LastFailure());
        SendOwnerMessage(WM_WAVETAP_PREPARE_FAIL, 0);
        return 0;
    }
    if (Failed(Start())) {
        const int lastError = errno;
        Log(QString::asprintf("Start error:%d", lastError));
        Log(m_pEncoder->LastFailure());
        SendOwnerMessage(WM_WAVETAP_PREPARE_FAIL, 0);
        return 0;
    }
    m_state = WAVETAP_RUNNING;
    SendOwnerMessage(WM_WAVETAP_START, 0);
    return 1;
}

void CWavetap::StopEncode() {
    if (m_state != WAVETAP_STARTING && m_state != WAVETAP_RUNNING) return;
    m_bNotifyOnStop = 0;
    Stop();
}

CWavetap::HRESULT CWavetap::Stop() {
    m_state = WAVETAP_STOPPING;
    if (m_pEncoder && m_sink.m_dwCookie != kDetachedCookie) m_pEncoder->Unadvise(m_sink.m_dwCookie);
    m_sink.m_dwCookie = kDetachedCookie;
    StopView();
    HRESULT hr = E_UNEXPECTED;
    if (m_pEncoder) {
        m_pEncoder->Stop();
        hr = m_pEncoder->PrepareToEncode(false);
    }
    if (m_bDRMProfileAdded) RemoveDRMProfile();
    if (m_bNotifyOnStop) SendOwnerMessage(WM_WAVETAP_STOP, 0);
    m_state = WAVETAP_STOPPED;
    return hr;
}

WAVETAP_STATE CWavetap::GetState() const { return m_state; }

CWavetap::HRESULT CWavetap::StartView() {
    if (m_state != WAVETAP_RUNNING || !m_pSourceGroups) return S_OK;
    SourceGroup* group = m_pSourceGroups->Active();
    if (!group) return E_UNEXPECTED;
    m_strCurGroup = group->Name();
    SendOwnerMessage(WM_WAVETAP_GROUP_ACTIVE, 0);
    Source* video = group->GetSource(kSourceVideo, 0);
    if (!video) return E_UNEXPECTED;
    QString input, scheme, initData;
    if (HRESULT hr = video->GetInput(&input, &scheme, &initData); Failed(hr)) return hr;
    if (m_pPreview && scheme.compare("File", Qt::CaseInsensitive) != 0) {
        if (HRESULT hr = m_pPreview->SetViewProperties(m_lPreviewCookie, m_hPreviewWnd); Failed(hr)) return hr;
        if (HRESULT hr = m_pPreview->StartView(m_lPreviewCookie); Failed(hr)) return hr;
        m_bPreviewRunning = 1;
    } else {
        SendOwnerMessage(WM_WAVETAP_PREVIEW_STOP, 0);
    }
    if (m_pPostview) {
        if (HRESULT hr = m_pPostview->SetViewProperties(m_lPostviewCookie, m_hPostviewWnd); Failed(hr)) return hr;
        if (HRESULT hr = m_pPostview->StartView(m_lPostviewCookie); Failed(hr)) return hr;
        m_bPostviewRunning = 1;
    }
    return S_OK;
}

CWavetap::HRESULT CWavetap::StopView() {
    if (m_state != WAVETAP_RUNNING && m_state != WAVETAP_STOPPING) return S_OK;
    if (m_bPreviewRunning && m_pPreview) {
        if (HRESULT hr = m_pPreview->StopView(m_lPreviewCookie); Failed(hr)) return hr;
        m_bPreviewRunning = 0;
        SendOwnerMessage(WM_WAVETAP_PREVIEW_STOP, 0);
    }
    if (m_bPostviewRunning && m_pPostview && !Failed(m_pPostview->StopView(m_lPostviewCookie))) {
        m_bPostviewRunning = 0;
        SendOwnerMessage(WM_WAVETAP_POSTVIEW_STOP, 0);
    }
    return S_OK;
}

CWavetap::BOOL CWavetap::SwitchSource(QString groupName) {
    if (m_state != WAVETAP_RUNNING || !m_pSourceGroups) return 0;
    for (std::int16_t i = 0; i < m_pSourceGroups->Count(); ++i) {
        SourceGroup* group = m_pSourceGroups->Item(i);
        if (group->Name().compare(groupName, Qt::CaseInsensitive) == 0)
            return Failed(m_pSourceGroups->SetActive(group)) ? 0 : 1;
    }
    return 1;
}

CWavetap::BOOL CWavetap::GetCurGrpName(QString& name) {
    if (m_state != WAVETAP_RUNNING) return 0;
    name = m_strCurGroup;
    return 1;
}

CWavetap::BOOL CWavetap::GetTransformProcess(int& percent) {
    if (m_state != WAVETAP_RUNNING || m_nOutputMode == 3 || !m_pSourceGroups) return 0;
    SourceGroup* group = m_pSourceGroups->Active();
    Source* audio = group ? group->GetSource(kSourceAudio, 0) : nullptr;
    if (!audio) return 0;
    const std::int64_t duration = audio->Duration();
    std::int64_t elapsed = 0;
    if (!Failed(m_pEncoder->ElapsedTime(&elapsed)) && duration > 0)
        percent = static_cast<int>(elapsed * 100 / duration);
    return 1;
}

void CWavetap::SendOwnerMessage(unsigned code, long lParam) {
    platform::PostMessage(m_hOwner, WM_WAVETAP_NOTIFY, code, lParam);
}

CWavetap::BOOL CWavetap::AddDRMProfile(QString providerUrl, QString licenseUrl, QString privateKey,
                                       QString signedPublicKey, QString licenseServerCert, QString rootCert,
                                       QString& publicKey, QString& seed, QString& keyId) {
    if (!m_pEncoder) return 0;
    drm::DrmContentAuthor& author = m_pEncoder->DRMContentAuthor();
    QVariant profileId, secondValue;
    QString result;
    if (drm::Failed(author.CreateDRMProfile(providerUrl, privateKey, signedPublicKey, licenseServerCert, rootCert,
                                            &profileId, &secondValue, &result)))
        return 0;
    m_bDRMProfileAdded = 1;
    publicKey = result;
    m_strDRMProfileID = profileId.toString();
    seed = secondValue.toString();

    drm::DrmProfileCollection& profiles = author.DRMProfileCollection();
    std::shared_ptr<drm::DrmProfile> profile;
    const std::int32_t count = profiles.Count();
    for (std::int32_t i = 0; i < count && !profile; ++i) {
        auto candidate = profiles.Item(i);
        if (candidate && candidate->id.compare(m_strDRMProfileID, Qt::CaseInsensitive) == 0) profile = candidate;
    }
    if (!profile) return 0;
    profile->name = "Castora";
    profile->licenceUrl = licenseUrl;
    profile->description = "Live";
    profile->v1LicenceUrl = licenseUrl;
    profile->attributes.append(qMakePair(QStringLiteral("SECURITYVERSION"), QStringLiteral("2.8")));

    QVariant sessionKeyId;
    if (drm::Failed(author.SetSessionDRMProfile(m_strDRMProfileID, &sessionKeyId))) return 0;
    keyId = sessionKeyId.toString();
    return 1;
}

void CWavetap::RemoveDRMProfile() {
    if (m_pEncoder) m_pEncoder->DRMContentAuthor().DeleteDRMProfile(m_strDRMProfileID);
}

std::int32_t CWavetap::CCallBack::OnStateChange(int state) {
    m_nState = state;
    if (state == kEncoderStopped) m_pWavetap->Stop();
    return S_OK;
}

std::int32_t CWavetap::CCallBack::OnSourceStateChange(int state, int type, int, const QString&) {
    m_nSourceState = state;
    if (type == kSourceVideo && state == kSourceStopped) m_pWavetap->StopView();
    if (type == kSourceVideo && state == kSourceStarted) m_pWavetap->StartView();
    return S_OK;
}

std::int32_t CWavetap::CCallBack::OnArchiveStateChange(int, int state) {
    if (state == kArchiveStopped) m_pWavetap->SendOwnerMessage(WM_WAVETAP_ARCHIVE_STOP, 0);
    return S_OK;
}

std::int32_t CWavetap::CCallBack::OnAcquireCredentials(const QString&, const QString&, QString* user,
                                                        QString* password, int*) {
    if (user) *user = QString(m_strUser.constData(), m_strUser.size());
    if (password) *password = QString(m_strPassword.constData(), m_strPassword.size());
    return S_OK;
}

std::int32_t CWavetap::CCallBack::OnError(std::int32_t error) {
    if (error == kNoServerConnection) m_pWavetap->SendOwnerMessage(WM_WAVETAP_NO_CONNECTION, 0);
    return S_OK;
}
