#include "sim/service_schema.h"

#include <stdexcept>

namespace sim {
namespace {

using K = ValueKind;

FieldSpec S(const char* n) { return {n, K::String}; }
FieldSpec I(const char* n) { return {n, K::Int}; }
FieldSpec L(const char* n) { return {n, K::Long}; }
FieldSpec B(const char* n) { return {n, K::Boolean}; }
FieldSpec F(const char* n) { return {n, K::Float}; }
FieldSpec R(const char* n, const RecordType& r) { return {n, K::Record, &r}; }
FieldSpec A(const char* n, const RecordType& r) { return {n, K::RecordArray, &r}; }

struct Schema {
  // Desktop client records.
  RecordType loginResult{"TLoginResult", {L("code"), S("sessionId")}};
  RecordType video{"TVideo", {I("isUpload"), S("kid"), I("onlyAudio"), S("uploadFolder"),
                              S("uploadName"), S("videoName"), L("videoSize")}};
  RecordType mediaServer{"T_MediaServer", {L("id"), S("mediaName")}};
  RecordType company{"TCompany",
                     {S("comName"), L("drmCount"), S("drmPrivateKey"), S("drmSeed"), S("drmUrl"),
                      F("freeCount"), L("freeSpace"), L("ftpId"), S("ftpName"), S("ftpPass"),
                      S("ftpUser"), L("id"), S("ip"), L("liveCount"), S("loginName"), S("path"),
                      I("port"), S("proFile"), L("score"), I("space"), I("state"),
                      L("totalSpace"), L("vodCount")}};
  RecordType selMediaServer{
      "TSelMediaServer",
      {I("code"), L("id"), S("ip"), S("isCdn"), I("isLogin"), S("kid"), S("licSrvCert"),
       L("liveId"), S("loginUrl"), S("mediaName"), S("playPath"), I("port"), S("privateKey"),
       S("pubPoint"), S("publicKey"), S("rootCert"), S("seed"), S("serverPass"), S("serverUser"),
       S("signedPublicKey")}};

  // Recorder records.
  RecordType columnType{"ColumnType", {L("id"), S("typeName")}};
  RecordType areaBean{"AreaBean", {S("area"), S("areaId"), S("zone")}};
  RecordType channelBean{"ChannelBean", {S("channelId"), S("channelName")}};
  RecordType netProgBean{"NetProgBean", {S("netProgId"), S("netProgName")}};
  RecordType tvProgBean{"TvProgBean", {S("info"), S("meridiem"), S("playTime"), S("tvProgram")}};
  RecordType encChannel{"ENCChannel",
                        {L("channelId"), S("channelName"), I("enc_content"), I("pg_fashion")}};
  RecordType encCopyRight{"ENCCopyRight", {S("author"), S("copyRight"), S("desc")}};
  RecordType encFtp{"ENCFtp", {L("ftpId"), S("ip"), S("logicPath"), S("passWord"), I("port"),
                               S("userName")}};
  RecordType encMedia{"ENCMedia",
                      {S("ip"), S("kid"), S("licSrvCert"), S("loginUrl"), I("port"),
                       S("privateKey"), S("pubPoint"), S("publicKey"), S("rootCert"), S("seed"),
                       S("signedPublicKey"), S("userName"), S("userPass")}};
  RecordType encInfo{"ENCInfo",
                     {R("channel", encChannel), R("copyright", encCopyRight), S("drmPrivateKey"),
                      S("drmSeed"), S("drmUrl"), A("ftpList", encFtp), A("mediaList", encMedia),
                      S("profileName")}};
  RecordType encProg{"ENCProg",
                     {S("beginTime"), S("channelName"), S("channelNum"), L("columnId"), L("ctId"),
                      S("ctName"), S("endTime"), I("flag"), I("isfor"), S("pg_name"),
                      S("pg_shortname"), L("tcId"), S("videoPath")}};
  RecordType encTemple{"ENCTemple", {L("id"), A("progList", encProg), S("tempName")}};
  RecordType encSpcTemple{"ENCSpcTemple", {B("flag"), R("temple", encTemple)}};
  RecordType encResult{"ENCResult",
                       {L("channelId"), L("columnId"), B("flag"), I("state"), L("tcId")}};

  std::vector<const RecordType*> all{&loginResult, &video,       &mediaServer, &company,
                                     &selMediaServer, &columnType, &areaBean, &channelBean,
                                     &netProgBean,  &tvProgBean,  &encChannel,  &encCopyRight,
                                     &encFtp,       &encMedia,    &encInfo,     &encProg,
                                     &encTemple,    &encSpcTemple, &encResult};

  std::vector<OperationSpec> operations;

  static OperationSpec Op(const char* name, std::vector<FieldSpec> params, bool session) {
    return {name, std::move(params), false, {}, session};
  }
  static OperationSpec Op(const char* name, std::vector<FieldSpec> params, FieldSpec result,
                          bool session) {
    result.name = "return";
    return {name, std::move(params), true, std::move(result), session};
  }

  Schema() {
    const bool client = true;
    const bool recorder = false;
    operations = {
        Op("uploadVideo", {R("video", video)}, B(""), client),
        Op("login", {S("userName"), S("passWord")}, R("", loginResult), false),
        Op("updateVideo", {S("videoName"), S("videoPath")}, B(""), client),
        Op("getCompany", {}, R("", company), client),
        Op("stopLive", {L("id")}, B(""), client),
        Op("logOut", {}, client),
        Op("GetMediaServerList", {}, A("", mediaServer), client),
        Op("GetSelMediaServerList",
           {L("id"), I("type"), S("profile"), S("videoDevice"), S("audioDevice"), I("isDrm")},
           R("", selMediaServer), client),
        Op("startLive",
           {L("liveId"), S("publicKey"), S("seed"), S("kid"), I("isDrm"), S("playUrl"),
            S("userIp")},
           B(""), client),
        Op("get", {}, S(""), client),

        Op("getCTList", {}, A("", columnType), recorder),
        Op("getArea", {}, A("", areaBean), recorder),
        Op("getChannel", {S("id")}, A("", channelBean), recorder),
        Op("getNetProg", {S("id")}, A("", netProgBean), recorder),
        Op("getTvProg", {S("id"), S("date"), S("userId")}, A("", tvProgBean), recorder),
        Op("flag", {L("channelId")}, B(""), recorder),
        Op("bChannel", {L("encId"), L("userId")}, R("", encInfo), recorder),
        Op("updateFlag", {L("channelId")}, recorder),
        Op("getTemple", {L("channelId"), I("week"), L("userId")}, R("", encTemple), recorder),
        Op("getEncSpcTemple", {L("channelId"), S("time"), I("week"), L("userId")},
           R("", encSpcTemple), recorder),
        Op("insertChannel",
           {L("userId"), L("channelId"), L("columnId"), S("columnName"), S("beginTime"),
            S("endTime"), FieldSpec{"weeks", K::IntArray}, L("columnTypeId"), L("tcId"),
            I("type"), I("isfor")},
           R("", encResult), recorder),
        Op("insertVideo",
           {L("channelId"), L("encId"), L("pgId"), L("ftpId"), I("type"), S("videoName"),
            S("path"), I("isDrm"), I("videoSize"), S("beginTime"), S("endTime"), S("encTime"),
            L("userId"), L("tcId"), I("score"), S("picPath")},
           L(""), recorder),
    };
  }
};

const Schema& TheSchema() {
  static const Schema schema;
  return schema;
}

}  // namespace

const std::vector<OperationSpec>& ServiceOperations() { return TheSchema().operations; }

const OperationSpec* FindOperation(std::string_view name) {
  for (const auto& op : TheSchema().operations) {
    if (op.name == name) return &op;
  }
  return nullptr;
}

const std::vector<const RecordType*>& ServiceRecordTypes() { return TheSchema().all; }

const RecordType& RecordByName(std::string_view name) {
  for (const RecordType* r : TheSchema().all) {
    if (r->name == name) return *r;
  }
  throw std::logic_error("no record type " + std::string(name));
}

}  // namespace sim
