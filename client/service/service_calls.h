#pragma once
// The call functions through which the client uses ClientService. Each creates its own
// proxy on serviceUrl, runs one operation and stores what it learns in ClientGlobals.
// None shows a message; callers do.

#include <QString>

#include "client/service/account_records.h"
#include "client/service/selected_server.h"
#include "client/service/service_records.h"

// 1 accepted (companyId and cookieHeader stored), 2 unknown user or wrong password,
// 3 signed in elsewhere, 4 the call failed.
int SvcLogin(const QString& userName, const QString& passwordDigest);

// Stores account and companyId; true when the call succeeded.
bool SvcGetCompany();

// The same call, leaving the values to the caller: for a thread that hands them to the
// user-interface thread instead of writing them under its readers.
bool SvcFetchCompany(AccountInfo& account, int& companyId);

// Appends every returned server to mediaServers; true when the call succeeded.
bool SvcGetMediaServerList();

// Asks a publishing point on server.id; fills server and stores playPath on success.
bool SvcGetSelMediaServer(const SelMediaServerRequest& request, SelectedServer& server);

// 1 when the call succeeded and the service answered true, else 0. Sends userIp.
int SvcStartLive(qint64 liveId, int isDrm, const QString& publicKey, const QString& seed, const QString& kid,
                 const QString& playUrl);

bool SvcStopLive(qint64 id);

bool SvcUploadVideo(const ClientService::TVideo& video);

void SvcLogOut();
