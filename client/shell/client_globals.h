#pragma once
// The client's process-wide values: written on the user-interface thread at start-up
// and by the sign-in thread before the main frame exists, read by everybody afterwards.

#include <QList>
#include <QString>

#include "client/service/account_records.h"

// A capture device of the main frame's lists; flag is 1 while a task uses it.
struct DeviceEntry {
    QString name;
    int kind = 0;  // 1 audio, 2 video
    int flag = 0;
};

// The pseudo-device at the head of videoDevices.
inline const QString kScreenCaptureDevice = QStringLiteral("屏幕捕获");

struct ClientGlobals {
    QString programFolder;  // folder of the program, ending in '/'
    QString appLogPath;     // programFolder + "log/tenancy.log"
    QString serverIp;       // SERVER/IP
    QString serviceUrl;     // SERVER/URL
    QString updateUrl;      // SERVER/UPDATEURL
    QString codeBaseUrl;    // SERVER/CODEIP
    int ftpPassive = 0;     // FTPSERVER/FTPPASSIVE
    const QString installerName = QStringLiteral("CastoraSetup.msi");

    // Filled by sign-in and the ClientService calls; 64-bit service values are kept as
    // their low 32 bits.
    QString cookieHeader;    // "Cookie: JSESSIONID=%s\r\n" of the last sign-in; empty before
    QString passwordDigest;  // the digest that signed in
    int companyId = 0;       // login code, then TCompany.id
    AccountInfo account;
    QList<MediaServerEntry> mediaServers;  // appended by each GetMediaServerList
    QString playPath;        // of the last GetSelMediaServerList
    QString userIp;          // this PC's IPv4 address, sent with startLive

    // Built by the main frame; the task list sets and clears the in-use flags.
    QList<DeviceEntry> audioDevices;
    QList<DeviceEntry> videoDevices;  // "屏幕捕获" first
    QString contentAuthor;            // the author text broadcasts carry
    bool serverBroadcast = false;     // broadcasts go to a media server (else from this PC only)
};

// The one instance.
ClientGlobals& Globals();
