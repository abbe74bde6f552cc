#include "recorder/recorder_records.h"

#include "recorder/recorder_service_operations.h"
#include "service-transport/publishing_point_fields.h"

namespace RecorderService {

using transport::RecordView;
using transport::SoapValue;

namespace {

ENCChannel ReadChannel(const SoapValue& value) {
    const RecordView r(kENCChannel, value);
    return {r.Integer("channelId"), r.String("channelName"), r.Int32("enc_content"), r.Int32("pg_fashion")};
}

ENCFtp ReadFtp(const SoapValue& value) {
    const RecordView r(kENCFtp, value);
    return {r.Integer("ftpId"), r.String("ip"), r.String("logicPath"), r.String("passWord"), r.Int32("port"),
            r.String("userName")};
}

ENCMedia ReadMedia(const SoapValue& value) {
    const RecordView r(kENCMedia, value);
    ENCMedia m;
    transport::ReadPublishingPoint(r, m);
    m.userName = r.String("userName");
    m.userPass = r.String("userPass");
    return m;
}

ENCProg ReadProg(const SoapValue& value) {
    const RecordView r(kENCProg, value);
    ENCProg p;
    p.beginTime = r.String("beginTime");
    p.channelName = r.String("channelName");
    p.channelNum = r.String("channelNum");
    p.columnId = r.Integer("columnId");
    p.ctId = r.Integer("ctId");
    p.ctName = r.String("ctName");
    p.endTime = r.String("endTime");
    p.flag = r.Int32("flag");
    p.isfor = r.Int32("isfor");
    p.pg_name = r.String("pg_name");
    p.pg_shortname = r.String("pg_shortname");
    p.tcId = r.Integer("tcId");
    p.videoPath = r.String("videoPath");
    return p;
}

}  // namespace

ENCInfo ReadENCInfo(const SoapValue& value) {
    const RecordView r(kENCInfo, value);
    ENCInfo info;
    info.channel = ReadChannel(r.Value("channel"));
    const RecordView copyright(kENCCopyRight, r.Value("copyright"));
    info.copyright = {copyright.String("author"), copyright.String("copyRight"), copyright.String("desc")};
    info.drmPrivateKey = r.String("drmPrivateKey");
    info.drmSeed = r.String("drmSeed");
    info.drmUrl = r.String("drmUrl");
    for (const SoapValue& item : r.Value("ftpList").items) info.ftpList.push_back(ReadFtp(item));
    for (const SoapValue& item : r.Value("mediaList").items) info.mediaList.push_back(ReadMedia(item));
    info.profileName = r.String("profileName");
    return info;
}

ENCTemple ReadENCTemple(const SoapValue& value) {
    const RecordView r(kENCTemple, value);
    ENCTemple t;
    t.id = r.Integer("id");
    for (const SoapValue& item : r.Value("progList").items) t.progList.push_back(ReadProg(item));
    t.tempName = r.String("tempName");
    return t;
}

ENCSpcTemple ReadENCSpcTemple(const SoapValue& value) {
    const RecordView r(kENCSpcTemple, value);
    return {r.Boolean("flag"), ReadENCTemple(r.Value("temple"))};
}

ENCResult ReadENCResult(const SoapValue& value) {
    const RecordView r(kENCResult, value);
    return {r.Integer("channelId"), r.Integer("columnId"), r.Boolean("flag"), r.Int32("state"), r.Integer("tcId")};
}

}  // namespace RecorderService
