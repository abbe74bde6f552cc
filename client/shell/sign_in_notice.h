#pragma once
// Message 1225: what the sign-in worker reports to the sign-in dialog (wParam = code).

#include "platform/messages.h"

#include <QString>

inline constexpr unsigned WM_SIGNIN_NOTIFY = platform::WM_USER + 201;  // 1225

enum SignInCode {
    kSignInAccepted = 1,
    kSignInWrongPassword = 2,
    kSignInElsewhere = 3,
    kSignInNetworkError = 4,
    kSignInReceiving = 5,
    kSignInDataError = 6,
    kSignInDone = 7,
};

struct SignInNotice {
    QString status;          // the status line's text; empty: leave it as it is
    bool enableControls;     // give the controls back to the operator
    bool selectUserName;     // focus the user-name box with all its text selected
    bool finish;             // end the dialog with OK
};

// What the dialog does for a code.
SignInNotice SignInNoticeFor(int code);
