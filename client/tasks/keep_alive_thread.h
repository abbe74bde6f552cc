#pragma once
// KeepAliveThread: asks the service for the account every 120 seconds while the operator
// is signed in, and after twenty failures in a row (3 seconds apart) reports the lost
// connection. It ends when it obtains the mutex "updateMutex", which the task list holds
// while the thread should run and releases to stop it.
//
// The fresh account is not written from this thread: it waits in the thread object and
// the task list takes it on its own thread when WM_TASKLIST 5 arrives.

#include "client/service/account_records.h"
#include "platform/sync.h"

#include <QMutex>
#include <QThread>

#include <memory>
#include <optional>

struct KeepAliveTiming {
    int successWaitMs = 120000;
    int failureWaitMs = 3000;
    int maxFailures = 20;
};

class CKeepAliveThread : public QThread {
public:
    CKeepAliveThread(QObject* view, std::shared_ptr<platform::Mutex> updateMutex);

    // The account of the last success not yet taken.
    std::optional<std::pair<AccountInfo, int>> TakeAccount();

    // Tests shorten the waits.
    static void SetTiming(const KeepAliveTiming& timing);
    static KeepAliveTiming Timing();

protected:
    void run() override;

private:
    QObject* view_;
    std::shared_ptr<platform::Mutex> updateMutex_;
    QMutex accountLock_;
    std::optional<std::pair<AccountInfo, int>> account_;
};
