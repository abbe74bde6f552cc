#include "client/service/service_calls.h"

#include <memory>

#include "client/service/client_service.h"
#include "client/shell/client_globals.h"

using ClientService::CClientServiceT;

namespace {

// A fresh proxy on serviceUrl with the session cookie, or null when the address is unusable.
std::unique_ptr<CClientServiceT> NewProxy() {
    auto proxy = std::make_unique<CClientServiceT>();
    if (!proxy->SetUrl(Globals().serviceUrl)) {
        return nullptr;
    }
    proxy->SetCookieHeader(Globals().cookieHeader.toUtf8());
    return proxy;
}

// Strings go out as present (possibly empty) values, never as nil.
QString Sent(const QString& text) { return text.isNull() ? QString("") : text; }

int Low32(qint64 value) { return static_cast<int>(static_cast<quint32>(static_cast<quint64>(value))); }

int Low32NotNegative(qint64 value) { return std::max(Low32(value), 0); }

// The session id as it may stand in a header line: control characters (a line break
// would start a header of the server's choosing in every later request) are dropped.
QString HeaderSafe(const QString& text) {
    QString safe;
    for (const QChar c : text) {
        if (c.unicode() >= 32 && c.unicode() != 127) {
            safe.append(c);
        }
    }
    return safe;
}

}  // namespace

int SvcLogin(const QString& userName, const QString& passwordDigest) {
    const auto proxy = NewProxy();
    ClientService::TLoginResult result;
    if (!proxy || proxy->login(Sent(userName), Sent(passwordDigest), &result) < 0) {
        return 4;
    }
    if (result.code == 0) {
        return 2;
    }
    if (result.code < 0) {
        return 3;
    }
    Globals().companyId = Low32(result.code);
    Globals().cookieHeader = "Cookie: JSESSIONID=" + HeaderSafe(result.sessionId) + "\r\n";
    return 1;
}

bool SvcGetCompany() {
    AccountInfo account;
    int companyId = 0;
    if (!SvcFetchCompany(account, companyId)) {
        return false;
    }
    Globals().account = account;
    Globals().companyId = companyId;
    return true;
}

bool SvcFetchCompany(AccountInfo& account, int& companyId) {
    const auto proxy = NewProxy();
    ClientService::TCompany company;
    if (!proxy || proxy->getCompany(&company) < 0) {
        return false;
    }
    account.comName = company.comName;
    account.loginName = company.loginName;
    account.path = company.path;
    account.ip = company.ip;
    account.port = company.port;
    account.ftpName = company.ftpName;
    account.ftpUser = company.ftpUser;
    account.ftpPass = company.ftpPass;
    account.drmPrivateKey = company.drmPrivateKey;
    account.drmSeed = company.drmSeed;
    account.drmUrl = company.drmUrl;
    account.drmCount = Low32(company.drmCount);
    account.liveCount = Low32(company.liveCount);
    account.vodCount = Low32(company.vodCount);
    account.score = Low32(company.score);
    account.state = company.state;
    account.freeCount = static_cast<double>(company.freeCount);
    account.freeSpace = Low32NotNegative(company.freeSpace);
    account.totalSpace = Low32NotNegative(company.totalSpace);
    companyId = Low32(company.id);
    return true;
}

bool SvcGetMediaServerList() {
    const auto proxy = NewProxy();
    std::vector<ClientService::T_MediaServer> servers;
    if (!proxy || proxy->GetMediaServerList(&servers) < 0) {
        return false;
    }
    for (const auto& server : servers) {
        Globals().mediaServers.append({Low32(server.id), server.mediaName});
    }
    return true;
}

bool SvcGetSelMediaServer(const SelMediaServerRequest& request, SelectedServer& server) {
    const auto proxy = NewProxy();
    ClientService::TSelMediaServer answer;
    if (!proxy || proxy->GetSelMediaServerList(server.id, request.type, Sent(request.profile), Sent(request.videoDevice),
                                               Sent(request.audioDevice), request.isDrm, &answer) < 0) {
        return false;
    }
    server.id = Low32(answer.id);
    server.mediaName = answer.mediaName;
    server.ip = answer.ip;
    server.port = answer.port;
    server.pubPoint = answer.pubPoint;
    server.serverUser = answer.serverUser;
    server.serverPass = answer.serverPass;
    server.isLogin = answer.isLogin;
    server.isCdn = answer.isCdn;
    server.liveId = Low32(answer.liveId);
    server.privateKey = answer.privateKey;
    server.signedPublicKey = answer.signedPublicKey;
    server.loginUrl = answer.loginUrl;
    server.licSrvCert = answer.licSrvCert;
    server.rootCert = answer.rootCert;
    server.publicKey = answer.publicKey;
    server.code = answer.code;
    Globals().playPath = answer.playPath;
    return true;
}

int SvcStartLive(qint64 liveId, int isDrm, const QString& publicKey, const QString& seed, const QString& kid,
                 const QString& playUrl) {
    const auto proxy = NewProxy();
    bool started = false;
    if (!proxy || proxy->startLive(liveId, Sent(publicKey), Sent(seed), Sent(kid), isDrm, Sent(playUrl),
                                   Sent(Globals().userIp), &started) < 0) {
        return 0;
    }
    return started ? 1 : 0;
}

bool SvcStopLive(qint64 id) {
    const auto proxy = NewProxy();
    bool stopped = false;
    return proxy && proxy->stopLive(id, &stopped) >= 0 && stopped;
}

bool SvcUploadVideo(const ClientService::TVideo& video) {
    const auto proxy = NewProxy();
    ClientService::TVideo sent = video;
    sent.kid = Sent(sent.kid);
    sent.uploadFolder = Sent(sent.uploadFolder);
    sent.uploadName = Sent(sent.uploadName);
    sent.videoName = Sent(sent.videoName);
    bool stored = false;
    return proxy && proxy->uploadVideo(sent, &stored) >= 0 && stored;
}

void SvcLogOut() {
    if (const auto proxy = NewProxy()) {
        proxy->logOut();
    }
}
