#include "client/tasks/live_target.h"

#include "client/service/selected_server.h"
#include "client/service/service_calls.h"
#include "client/shell/client_globals.h"
#include "client/shell/message_box.h"
#include "client/tasks/encoder_task_dlg.h"

namespace {

const QString kServerInfoFailed = QStringLiteral("获得媒体服务器信息出错！");                                // 182
const QString kAllPointsTaken = QStringLiteral("该媒体服务器上有发布点都被占用！请更换媒体服务器或等待！");  // 181
const QString kDrmParamsFailed = QStringLiteral("获得直播加密相关参数出错！");                               // 180

}  // namespace

QString ThisPcPlayAddress() { return QStringLiteral("mms://") + Globals().userIp + QStringLiteral(":9100"); }

bool RequestLiveServer(const SelMediaServerRequest& request, TaskServerInfo& server,
                       const std::function<void(const QString&)>& setStatus, QWidget* parent) {
    ClientGlobals& g = Globals();
    if (g.account.liveCount <= 0) {
        setStatus(CEncoderTaskDlg::kStatusNoLiveBalance);
        g.serverBroadcast = false;
        return true;
    }
    if (!SvcGetSelMediaServer(request, server)) {
        setStatus(kServerInfoFailed);
        return false;
    }
    if (server.code == 1) {
        setStatus(kAllPointsTaken);
        return false;
    }
    if (request.isDrm && (server.licSrvCert.isEmpty() || server.rootCert.isEmpty() || server.privateKey.isEmpty() ||
                          server.signedPublicKey.isEmpty() || server.loginUrl.isEmpty())) {
        ShowMessage(kDrmParamsFailed, parent);
        return false;
    }
    g.serverBroadcast = true;
    return true;
}

void SetLiveTarget(EncoderRunSpec& spec, const TaskServerInfo& s, bool isLiveDrm, const QString& title) {
    const ClientGlobals& g = Globals();
    spec.author = g.account.comName;
    spec.copyright = g.account.comName;
    spec.description = g.contentAuthor;
    spec.title = title;
    if (g.serverBroadcast) {
        spec.server = s.ip;
        spec.publishingPoint = s.pubPoint;
        spec.port = s.port;
        spec.serverUser = s.serverUser;
        spec.serverPass = s.serverPass;
    }
    spec.drm = g.serverBroadcast && isLiveDrm;
    spec.drmMaterial = {g.serverIp, s.loginUrl, s.privateKey, s.signedPublicKey, s.licSrvCert, s.rootCert};
    const bool server = g.serverBroadcast;
    const qint64 liveId = s.liveId;
    const int isDrm = spec.drm ? 1 : 0;
    spec.registerBroadcast = [server, liveId, isDrm](const EncoderDrmKeys& keys) {
        const QString play = ThisPcPlayAddress();
        if (!server) return SvcStartLive(0, 0, QString(), QString(), QString(), play) == 1;
        return SvcStartLive(liveId, isDrm, keys.publicKey, keys.seed, keys.keyId, play) == 1;
    };
}
