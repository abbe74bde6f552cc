#pragma once
// The recorder's ClientService as the recorder describes it: record types and the
// operations it calls, in wire order. The transport is the client's; this table is the
// recorder's own, larger proxy.

#include "service-transport/soap_description.h"

namespace RecorderService {

using transport::FieldDesc;
using transport::OperationDesc;
using transport::TypeDesc;
using transport::ValueKind;

// The platform's web-service namespace.
inline constexpr std::string_view kTargetNamespace = "http://service.castora.com";

namespace types {
using transport::kBooleanType;
using transport::kIntType;
using transport::kLongType;
using transport::kStringType;

inline constexpr FieldDesc kColumnTypeFields[] = {{"id", &kLongType}, {"typeName", &kStringType}};
inline constexpr FieldDesc kAreaBeanFields[] = {{"area", &kStringType}, {"areaId", &kStringType}, {"zone", &kStringType}};
inline constexpr FieldDesc kChannelBeanFields[] = {{"channelId", &kStringType}, {"channelName", &kStringType}};
inline constexpr FieldDesc kNetProgBeanFields[] = {{"netProgId", &kStringType}, {"netProgName", &kStringType}};
inline constexpr FieldDesc kTvProgBeanFields[] = {
    {"info", &kStringType}, {"meridiem", &kStringType}, {"playTime", &kStringType}, {"tvProgram", &kStringType}};

inline constexpr FieldDesc kENCChannelFields[] = {
    {"channelId", &kLongType}, {"channelName", &kStringType}, {"enc_content", &kIntType}, {"pg_fashion", &kIntType}};
inline constexpr FieldDesc kENCCopyRightFields[] = {
    {"author", &kStringType}, {"copyRight", &kStringType}, {"desc", &kStringType}};
inline constexpr FieldDesc kENCFtpFields[] = {
    {"ftpId", &kLongType},      {"ip", &kStringType},  {"logicPath", &kStringType},
    {"passWord", &kStringType}, {"port", &kIntType},   {"userName", &kStringType}};
inline constexpr FieldDesc kENCMediaFields[] = {
    {"ip", &kStringType},         {"kid", &kStringType},        {"licSrvCert", &kStringType},
    {"loginUrl", &kStringType},   {"port", &kIntType},          {"privateKey", &kStringType},
    {"pubPoint", &kStringType},   {"publicKey", &kStringType},  {"rootCert", &kStringType},
    {"seed", &kStringType},       {"signedPublicKey", &kStringType}, {"userName", &kStringType},
    {"userPass", &kStringType}};
inline constexpr FieldDesc kENCProgFields[] = {
    {"beginTime", &kStringType}, {"channelName", &kStringType}, {"channelNum", &kStringType},
    {"columnId", &kLongType},    {"ctId", &kLongType},          {"ctName", &kStringType},
    {"endTime", &kStringType},   {"flag", &kIntType},           {"isfor", &kIntType},
    {"pg_name", &kStringType},   {"pg_shortname", &kStringType}, {"tcId", &kLongType},
    {"videoPath", &kStringType}};
inline constexpr FieldDesc kENCResultFields[] = {
    {"channelId", &kLongType}, {"columnId", &kLongType}, {"flag", &kBooleanType},
    {"state", &kIntType},      {"tcId", &kLongType}};
}  // namespace types

inline constexpr TypeDesc kColumnType{ValueKind::Record, "ColumnType", types::kColumnTypeFields};
inline constexpr TypeDesc kAreaBean{ValueKind::Record, "AreaBean", types::kAreaBeanFields};
inline constexpr TypeDesc kChannelBean{ValueKind::Record, "ChannelBean", types::kChannelBeanFields};
inline constexpr TypeDesc kNetProgBean{ValueKind::Record, "NetProgBean", types::kNetProgBeanFields};
inline constexpr TypeDesc kTvProgBean{ValueKind::Record, "TvProgBean", types::kTvProgBeanFields};
inline constexpr TypeDesc kColumnTypeArray{ValueKind::Array, "ArrayOfColumnType", {}, &kColumnType, "ColumnType"};
inline constexpr TypeDesc kAreaBeanArray{ValueKind::Array, "ArrayOfAreaBean", {}, &kAreaBean, "AreaBean"};
inline constexpr TypeDesc kChannelBeanArray{ValueKind::Array, "ArrayOfChannelBean", {}, &kChannelBean, "ChannelBean"};
inline constexpr TypeDesc kNetProgBeanArray{ValueKind::Array, "ArrayOfNetProgBean", {}, &kNetProgBean, "NetProgBean"};
inline constexpr TypeDesc kTvProgBeanArray{ValueKind::Array, "ArrayOfTvProgBean", {}, &kTvProgBean, "TvProgBean"};

inline constexpr TypeDesc kENCChannel{ValueKind::Record, "ENCChannel", types::kENCChannelFields};
inline constexpr TypeDesc kENCCopyRight{ValueKind::Record, "ENCCopyRight", types::kENCCopyRightFields};
inline constexpr TypeDesc kENCFtp{ValueKind::Record, "ENCFtp", types::kENCFtpFields};
inline constexpr TypeDesc kENCFtpArray{ValueKind::Array, "ArrayOfENCFtp", {}, &kENCFtp, "ENCFtp"};
inline constexpr TypeDesc kENCMedia{ValueKind::Record, "ENCMedia", types::kENCMediaFields};
inline constexpr TypeDesc kENCMediaArray{ValueKind::Array, "ArrayOfENCMedia", {}, &kENCMedia, "ENCMedia"};
inline constexpr TypeDesc kENCProg{ValueKind::Record, "ENCProg", types::kENCProgFields};
inline constexpr TypeDesc kENCProgArray{ValueKind::Array, "ArrayOfENCProg", {}, &kENCProg, "ENCProg"};
inline constexpr TypeDesc kIntArray{ValueKind::Array, "ArrayOfInt", {}, &transport::kIntType, "int"};

namespace types {
inline constexpr FieldDesc kENCInfoFields[] = {
    {"channel", &kENCChannel},   {"copyright", &kENCCopyRight}, {"drmPrivateKey", &kStringType},
    {"drmSeed", &kStringType},   {"drmUrl", &kStringType},      {"ftpList", &kENCFtpArray},
    {"mediaList", &kENCMediaArray}, {"profileName", &kStringType}};
inline constexpr FieldDesc kENCTempleFields[] = {
    {"id", &kLongType}, {"progList", &kENCProgArray}, {"tempName", &kStringType}};
}  // namespace types

inline constexpr TypeDesc kENCInfo{ValueKind::Record, "ENCInfo", types::kENCInfoFields};
inline constexpr TypeDesc kENCTemple{ValueKind::Record, "ENCTemple", types::kENCTempleFields};

namespace types {
inline constexpr FieldDesc kENCSpcTempleFields[] = {{"flag", &kBooleanType}, {"temple", &kENCTemple}};
}  // namespace types

inline constexpr TypeDesc kENCSpcTemple{ValueKind::Record, "ENCSpcTemple", types::kENCSpcTempleFields};
inline constexpr TypeDesc kENCResult{ValueKind::Record, "ENCResult", types::kENCResultFields};

namespace parameters {
using transport::kIntType;
using transport::kLongType;
using transport::kStringType;

inline constexpr FieldDesc kId[] = {{"id", &kStringType}};
inline constexpr FieldDesc kGetTvProg[] = {{"id", &kStringType}, {"date", &kStringType}, {"userId", &kStringType}};
inline constexpr FieldDesc kChannelId[] = {{"channelId", &kLongType}};
inline constexpr FieldDesc kBChannel[] = {{"encId", &kLongType}, {"userId", &kLongType}};
inline constexpr FieldDesc kGetTemple[] = {{"channelId", &kLongType}, {"week", &kIntType}, {"userId", &kLongType}};
inline constexpr FieldDesc kGetEncSpcTemple[] = {
    {"channelId", &kLongType}, {"time", &kStringType}, {"week", &kIntType}, {"userId", &kLongType}};
inline constexpr FieldDesc kInsertChannel[] = {
    {"userId", &kLongType},      {"channelId", &kLongType}, {"columnId", &kLongType}, {"columnName", &kStringType},
    {"beginTime", &kStringType}, {"endTime", &kStringType}, {"weeks", &kIntArray},    {"columnTypeId", &kLongType},
    {"tcId", &kLongType},        {"type", &kIntType},       {"isfor", &kIntType}};
inline constexpr FieldDesc kInsertVideo[] = {
    {"channelId", &kLongType},  {"encId", &kLongType},    {"pgId", &kLongType},      {"ftpId", &kLongType},
    {"type", &kIntType},        {"videoName", &kStringType}, {"path", &kStringType}, {"isDrm", &kIntType},
    {"videoSize", &kIntType},   {"beginTime", &kStringType}, {"endTime", &kStringType}, {"encTime", &kStringType},
    {"userId", &kLongType},     {"tcId", &kLongType},     {"score", &kIntType},      {"picPath", &kStringType}};

inline constexpr FieldDesc kReturnsColumnTypes{"return", &kColumnTypeArray};
inline constexpr FieldDesc kReturnsAreas{"return", &kAreaBeanArray};
inline constexpr FieldDesc kReturnsChannels{"return", &kChannelBeanArray};
inline constexpr FieldDesc kReturnsNetProgs{"return", &kNetProgBeanArray};
inline constexpr FieldDesc kReturnsTvProgs{"return", &kTvProgBeanArray};
inline constexpr FieldDesc kReturnsBoolean{"return", &transport::kBooleanType};
inline constexpr FieldDesc kReturnsInfo{"return", &kENCInfo};
inline constexpr FieldDesc kReturnsTemple{"return", &kENCTemple};
inline constexpr FieldDesc kReturnsSpcTemple{"return", &kENCSpcTemple};
inline constexpr FieldDesc kReturnsResult{"return", &kENCResult};
inline constexpr FieldDesc kReturnsLong{"return", &kLongType};
}  // namespace parameters

// The operations the recorder calls.
inline constexpr OperationDesc kOperations[] = {
    {"getCTList", kTargetNamespace, {}, &parameters::kReturnsColumnTypes},
    {"getArea", kTargetNamespace, {}, &parameters::kReturnsAreas},
    {"getChannel", kTargetNamespace, parameters::kId, &parameters::kReturnsChannels},
    {"getNetProg", kTargetNamespace, parameters::kId, &parameters::kReturnsNetProgs},
    {"getTvProg", kTargetNamespace, parameters::kGetTvProg, &parameters::kReturnsTvProgs},
    {"flag", kTargetNamespace, parameters::kChannelId, &parameters::kReturnsBoolean},
    {"bChannel", kTargetNamespace, parameters::kBChannel, &parameters::kReturnsInfo},
    {"updateFlag", kTargetNamespace, parameters::kChannelId, nullptr},
    {"getTemple", kTargetNamespace, parameters::kGetTemple, &parameters::kReturnsTemple},
    {"getEncSpcTemple", kTargetNamespace, parameters::kGetEncSpcTemple, &parameters::kReturnsSpcTemple},
    {"insertChannel", kTargetNamespace, parameters::kInsertChannel, &parameters::kReturnsResult},
    {"insertVideo", kTargetNamespace, parameters::kInsertVideo, &parameters::kReturnsLong},
};

enum class Operation {
    getCTList,
    getArea,
    getChannel,
    getNetProg,
    getTvProg,
    flag,
    bChannel,
    updateFlag,
    getTemple,
    getEncSpcTemple,
    insertChannel,
    insertVideo,
};

constexpr const OperationDesc& Describe(Operation operation) { return kOperations[static_cast<int>(operation)]; }

}  // namespace RecorderService
