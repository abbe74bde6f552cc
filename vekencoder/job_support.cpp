#include "job_support.h"

#include "platform/paths.h"
#include "wavetap/wavetap.h"

#include <QThread>

namespace vekencoder {

using namespace wavetap::engine;

std::int32_t JobSink::OnStateChange(int newState) {
    state = newState;
    return S_OK;
}

std::int32_t JobSink::OnSourceStateChange(int newState, int, int, const QString&) {
    sourceState = newState;
    return S_OK;
}

std::int32_t JobSink::OnAcquireCredentials(const QString&, const QString&, QString* user, QString* password, int*) {
    if (user) *user = QString(user_.constData(), user_.size());
    if (password) *password = QString(password_.constData(), password_.size());
    return S_OK;
}

JobPump::JobPump()
    : filter_([this](unsigned msg, platform::WPARAM wParam, platform::LPARAM) {
          if (msg != WM_WAVETAP_NOTIFY || wParam != WM_WAVETAP_STOP) return false;
          stop_ = true;
          return true;
      }) {}

bool JobPump::Pump() {
    platform::PumpMessages();
    platform::ThreadMessage message;
    while (platform::PeekThreadMessage(&message)) {
        if (message.msg == WM_WAVETAP_NOTIFY && message.wParam == WM_WAVETAP_STOP) stop_ = true;
    }
    return stop_;
}

QString ProfileDirectory() { return platform::GetProgramFolder() + "Profiles"; }

QString TitleFromPath(const QString& path) {
    const qsizetype slash = std::max(path.lastIndexOf('\\'), path.lastIndexOf('/'));
    const QString name = path.mid(slash + 1);
    return name.chopped(std::min<qsizetype>(4, name.size()));
}

HRESULT LookUpProfile(Encoder& encoder, const QString& name, const Profile** match, const Profile** last) {
    *match = nullptr;
    *last = nullptr;
    ProfileCollection& profiles = encoder.Profiles();
    if (HRESULT hr = profiles.SetDirectory(ProfileDirectory()); Failed(hr)) return hr;
    if (HRESULT hr = profiles.Refresh(); Failed(hr)) return hr;
    for (int i = 0; i < profiles.Count(); ++i) {
        *last = profiles.Item(i);
        if ((*last)->name.compare(name, Qt::CaseInsensitive) == 0) {
            *match = *last;
            return S_OK;
        }
    }
    return S_OK;
}

void JobTick() { QThread::msleep(100); }

}  // namespace vekencoder
