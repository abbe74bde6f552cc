#pragma once
// The client's process-wide values: written on the user-interface thread at start-up
// and by the sign-in thread before the main frame exists, read by everybody afterwards.

#include <QString>

struct ClientGlobals {
    QString programFolder;  // folder of the program, ending in '/'
    QString appLogPath;     // programFolder + "log/tenancy.log"
    QString serverIp;       // SERVER/IP
    QString serviceUrl;     // SERVER/URL
    QString updateUrl;      // SERVER/UPDATEURL
    QString codeBaseUrl;    // SERVER/CODEIP
    int ftpPassive = 0;     // FTPSERVER/FTPPASSIVE
    const QString installerName = QStringLiteral("CastoraSetup.msi");
};

// The one instance.
ClientGlobals& Globals();
