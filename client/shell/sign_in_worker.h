#pragma once
// The sign-in thread: up to six attempts of login, then the account and the media-server
// list, reported to the dialog by message 1225. It works on its own copy of the dialog's
// values, so the operator may change them while it runs.

#include "platform/sync.h"

#include <QPointer>
#include <QString>
#include <QThread>

#include <atomic>

struct SignInRequest {
    QString userName;
    QString passwordDigest;
    bool rememberUser = false;
    bool rememberPassword = false;
    QString userFile;  // user.dat
};

class CSignInWorker : public QThread {
public:
    // `dialog` receives message 1225; it must outlive the thread (its owner joins it).
    CSignInWorker(const SignInRequest& request, QObject* dialog);
    ~CSignInWorker() override;

    // Asks the thread to end at its next step without reporting more; does not wait.
    void RequestStop();

    static constexpr int kAttempts = 6;
    // The wait after a failed call; 10 seconds unless a test shortens it.
    static void SetRetryWaitMs(int milliseconds);
    static int RetryWaitMs();

protected:
    void run() override;

private:
    bool Post(int code);
    bool Stopping() const { return stopping_.load(); }

    SignInRequest request_;
    QObject* dialog_;
    std::atomic<bool> stopping_{false};
    platform::Event stopEvent_{true, false};
};
