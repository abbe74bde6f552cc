#include "client/service/record_codec.h"

#include "client/service/service_operations.h"
#include "service-transport/publishing_point_fields.h"

namespace ClientService {

using transport::RecordBuilder;
using transport::RecordView;
using transport::SoapValue;

SoapValue ToSoap(const TVideo& video) {
    return RecordBuilder(kTVideo)
        .Integer("isUpload", video.isUpload)
        .String("kid", video.kid)
        .Integer("onlyAudio", video.onlyAudio)
        .String("uploadFolder", video.uploadFolder)
        .String("uploadName", video.uploadName)
        .String("videoName", video.videoName)
        .Integer("videoSize", video.videoSize)
        .Take();
}

TLoginResult LoginResultFrom(const SoapValue& value) {
    const RecordView view(kTLoginResult, value);
    return {view.Integer("code"), view.String("sessionId")};
}

T_MediaServer MediaServerFrom(const SoapValue& value) {
    const RecordView view(kT_MediaServer, value);
    return {view.Integer("id"), view.String("mediaName")};
}

TCompany CompanyFrom(const SoapValue& value) {
    const RecordView view(kTCompany, value);
    TCompany company;
    company.comName = view.String("comName");
    company.drmCount = view.Integer("drmCount");
    company.drmPrivateKey = view.String("drmPrivateKey");
    company.drmSeed = view.String("drmSeed");
    company.drmUrl = view.String("drmUrl");
    company.freeCount = view.Real("freeCount");
    company.freeSpace = view.Integer("freeSpace");
    company.ftpId = view.Integer("ftpId");
    company.ftpName = view.String("ftpName");
    company.ftpPass = view.String("ftpPass");
    company.ftpUser = view.String("ftpUser");
    company.id = view.Integer("id");
    company.ip = view.String("ip");
    company.liveCount = view.Integer("liveCount");
    company.loginName = view.String("loginName");
    company.path = view.String("path");
    company.port = view.Int32("port");
    company.proFile = view.String("proFile");
    company.score = view.Integer("score");
    company.space = view.Int32("space");
    company.state = view.Int32("state");
    company.totalSpace = view.Integer("totalSpace");
    company.vodCount = view.Integer("vodCount");
    return company;
}

TSelMediaServer SelMediaServerFrom(const SoapValue& value) {
    const RecordView view(kTSelMediaServer, value);
    TSelMediaServer server;
    transport::ReadPublishingPoint(view, server);
    server.code = view.Int32("code");
    server.id = view.Integer("id");
    server.isCdn = view.String("isCdn");
    server.isLogin = view.Int32("isLogin");
    server.liveId = view.Integer("liveId");
    server.mediaName = view.String("mediaName");
    server.playPath = view.String("playPath");
    server.serverPass = view.String("serverPass");
    server.serverUser = view.String("serverUser");
    return server;
}

}  // namespace ClientService
