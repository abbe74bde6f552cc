#include "client/tasks/keep_alive_thread.h"

#include "client/service/service_calls.h"
#include "client/tasks/task_list_message.h"

#include <QMutexLocker>

namespace {
QMutex timingLock;
KeepAliveTiming timing;
}  // namespace

CKeepAliveThread::CKeepAliveThread(QObject* view, std::shared_ptr<platform::Mutex> updateMutex)
    : view_(view), updateMutex_(std::move(updateMutex)) {}

void CKeepAliveThread::SetTiming(const KeepAliveTiming& newTiming) {
    QMutexLocker locker(&timingLock);
    timing = newTiming;
}

KeepAliveTiming CKeepAliveThread::Timing() {
    QMutexLocker locker(&timingLock);
    return timing;
}

std::optional<std::pair<AccountInfo, int>> CKeepAliveThread::TakeAccount() {
    QMutexLocker locker(&accountLock_);
    return std::exchange(account_, std::nullopt);
}

void CKeepAliveThread::run() {
    const KeepAliveTiming t = Timing();
    int failures = 0;
    while (failures < t.maxFailures) {
        AccountInfo account;
        int companyId = 0;
        int waitMs = 0;
        if (SvcFetchCompany(account, companyId)) {
            {
                QMutexLocker locker(&accountLock_);
                account_ = std::make_pair(account, companyId);
            }
            platform::PostMessage(view_, WM_TASKLIST, kAccountRefreshed, 0);
            failures = 0;
            waitMs = t.successWaitMs;
        } else {
            ++failures;
            waitMs = t.failureWaitMs;
        }
        if (updateMutex_->Wait(waitMs) == platform::WaitResult::Signalled) {
            updateMutex_->Release();
            return;
        }
    }
    platform::PostMessage(view_, WM_TASKLIST, kConnectionLost, 0);
}
