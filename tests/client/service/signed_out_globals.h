#pragma once
// Puts the values sign-in and the service calls fill back to their start, for a test
// that talks to the service at url.

#include "client/shell/client_globals.h"

inline void StartSignedOut(const QString& url) {
    ClientGlobals& globals = Globals();
    globals.serviceUrl = url;
    globals.cookieHeader.clear();
    globals.companyId = 0;
    globals.account = AccountInfo();
    globals.mediaServers.clear();
    globals.playPath.clear();
    globals.userIp = "127.0.0.1";
}
