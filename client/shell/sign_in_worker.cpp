#include "client/shell/sign_in_worker.h"

#include "client/service/service_calls.h"
#include "client/shell/client_globals.h"
#include "client/shell/sign_in_notice.h"
#include "client/shell/user_info.h"

namespace {
std::atomic<int> retryWaitMs{10000};
}  // namespace

CSignInWorker::CSignInWorker(const SignInRequest& request, QObject* dialog) : request_(request), dialog_(dialog) {}

CSignInWorker::~CSignInWorker() {
    RequestStop();
    wait();
}

void CSignInWorker::RequestStop() {
    stopping_ = true;
    stopEvent_.Set();
}

void CSignInWorker::SetRetryWaitMs(int milliseconds) { retryWaitMs = milliseconds; }
int CSignInWorker::RetryWaitMs() { return retryWaitMs; }

bool CSignInWorker::Post(int code) {
    if (Stopping()) return false;
    platform::PostMessage(dialog_, WM_SIGNIN_NOTIFY, static_cast<platform::WPARAM>(code), 0);
    return true;
}

void CSignInWorker::run() {
    for (int attempt = 0; attempt < kAttempts && !Stopping(); ++attempt) {
        const bool last = attempt == kAttempts - 1;
        const int result = SvcLogin(request_.userName, request_.passwordDigest);
        if (Stopping()) return;
        if (result == 1) {
            Globals().passwordDigest = request_.passwordDigest;
            CUserInfo remembered;
            if (request_.rememberUser) remembered.userName = request_.userName;
            if (request_.rememberPassword) remembered.passwordDigest = request_.passwordDigest;
            remembered.Save(request_.userFile);  // a file that cannot be written is no reason to stop
            Post(kSignInReceiving);
            if (SvcGetCompany() && SvcGetMediaServerList()) {
                Post(kSignInDone);
                return;
            }
            if (last) {
                Post(kSignInDataError);
                return;
            }
        } else if (result == 2 || result == 3) {
            Post(result);
        } else {
            stopEvent_.Wait(RetryWaitMs());
            if (last) Post(kSignInNetworkError);
        }
    }
}
