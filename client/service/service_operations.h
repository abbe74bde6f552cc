#pragma once
// The platform's ClientService as the client describes it: record types and the
// operation table, in the order of the service's operation table.

#include "service-transport/soap_description.h"

namespace ClientService {

using transport::FieldDesc;
using transport::OperationDesc;
using transport::TypeDesc;
using transport::ValueKind;

// The platform's web-service namespace, used by every operation.
inline constexpr std::string_view kTargetNamespace = "http://service.castora.com";
static_assert(kTargetNamespace.size() == 26);

// Built-in endpoint; always replaced by SERVER/URL before a call.
inline constexpr const char* kDefaultEndpoint = "http://www.castora.com/vekservices/ClientService";

namespace types {
using transport::kBooleanType;
using transport::kFloatType;
using transport::kIntType;
using transport::kLongType;
using transport::kStringType;

inline constexpr FieldDesc kLoginResultFields[] = {{"code", &kLongType}, {"sessionId", &kStringType}};

inline constexpr FieldDesc kVideoFields[] = {
    {"isUpload", &kIntType},       {"kid", &kStringType},       {"onlyAudio", &kIntType},
    {"uploadFolder", &kStringType}, {"uploadName", &kStringType}, {"videoName", &kStringType},
    {"videoSize", &kLongType},
};

inline constexpr FieldDesc kMediaServerFields[] = {{"id", &kLongType}, {"mediaName", &kStringType}};

inline constexpr FieldDesc kCompanyFields[] = {
    {"comName", &kStringType},  {"drmCount", &kLongType},   {"drmPrivateKey", &kStringType},
    {"drmSeed", &kStringType},  {"drmUrl", &kStringType},   {"freeCount", &kFloatType},
    {"freeSpace", &kLongType},  {"ftpId", &kLongType},      {"ftpName", &kStringType},
    {"ftpPass", &kStringType},  {"ftpUser", &kStringType},  {"id", &kLongType},
    {"ip", &kStringType},       {"liveCount", &kLongType},  {"loginName", &kStringType},
    {"path", &kStringType},     {"port", &kIntType},        {"proFile", &kStringType},
    {"score", &kLongType},      {"space", &kIntType},       {"state", &kIntType},
    {"totalSpace", &kLongType}, {"vodCount", &kLongType},
};

inline constexpr FieldDesc kSelMediaServerFields[] = {
    {"code", &kIntType},          {"id", &kLongType},           {"ip", &kStringType},
    {"isCdn", &kStringType},      {"isLogin", &kIntType},       {"kid", &kStringType},
    {"licSrvCert", &kStringType}, {"liveId", &kLongType},       {"loginUrl", &kStringType},
    {"mediaName", &kStringType},  {"playPath", &kStringType},   {"port", &kIntType},
    {"privateKey", &kStringType}, {"pubPoint", &kStringType},   {"publicKey", &kStringType},
    {"rootCert", &kStringType},   {"seed", &kStringType},       {"serverPass", &kStringType},
    {"serverUser", &kStringType}, {"signedPublicKey", &kStringType},
};
}  // namespace types

inline constexpr TypeDesc kTLoginResult{ValueKind::Record, "TLoginResult", types::kLoginResultFields};
inline constexpr TypeDesc kTVideo{ValueKind::Record, "TVideo", types::kVideoFields};
inline constexpr TypeDesc kT_MediaServer{ValueKind::Record, "T_MediaServer", types::kMediaServerFields};
inline constexpr TypeDesc kT_MediaServerArray{ValueKind::Array, "ArrayOfT_MediaServer", {}, &kT_MediaServer, "T_MediaServer"};
inline constexpr TypeDesc kTCompany{ValueKind::Record, "TCompany", types::kCompanyFields};
inline constexpr TypeDesc kTSelMediaServer{ValueKind::Record, "TSelMediaServer", types::kSelMediaServerFields};

namespace parameters {
using types::kIntType;
using types::kLongType;
using types::kStringType;

inline constexpr FieldDesc kUploadVideo[] = {{"video", &kTVideo}};
inline constexpr FieldDesc kLogin[] = {{"userName", &kStringType}, {"passWord", &kStringType}};
inline constexpr FieldDesc kUpdateVideo[] = {{"videoName", &kStringType}, {"videoPath", &kStringType}};
inline constexpr FieldDesc kStopLive[] = {{"id", &kLongType}};
inline constexpr FieldDesc kGetSelMediaServerList[] = {
    {"id", &kLongType},           {"type", &kIntType},          {"profile", &kStringType},
    {"videoDevice", &kStringType}, {"audioDevice", &kStringType}, {"isDrm", &kIntType},
};
inline constexpr FieldDesc kStartLive[] = {
    {"liveId", &kLongType}, {"publicKey", &kStringType}, {"seed", &kStringType}, {"kid", &kStringType},
    {"isDrm", &kIntType},   {"playUrl", &kStringType},   {"userIp", &kStringType},
};

inline constexpr FieldDesc kReturnsBoolean{"return", &types::kBooleanType};
inline constexpr FieldDesc kReturnsString{"return", &kStringType};
inline constexpr FieldDesc kReturnsLoginResult{"return", &kTLoginResult};
inline constexpr FieldDesc kReturnsCompany{"return", &kTCompany};
inline constexpr FieldDesc kReturnsMediaServers{"return", &kT_MediaServerArray};
inline constexpr FieldDesc kReturnsSelMediaServer{"return", &kTSelMediaServer};
}  // namespace parameters

// The operation table, in the service's order.
inline constexpr OperationDesc kOperations[] = {
    {"uploadVideo", kTargetNamespace, parameters::kUploadVideo, &parameters::kReturnsBoolean},
    {"login", kTargetNamespace, parameters::kLogin, &parameters::kReturnsLoginResult},
    {"updateVideo", kTargetNamespace, parameters::kUpdateVideo, &parameters::kReturnsBoolean},
    {"getCompany", kTargetNamespace, {}, &parameters::kReturnsCompany},
    {"stopLive", kTargetNamespace, parameters::kStopLive, &parameters::kReturnsBoolean},
    {"logOut", kTargetNamespace, {}, nullptr},
    {"GetMediaServerList", kTargetNamespace, {}, &parameters::kReturnsMediaServers},
    {"GetSelMediaServerList", kTargetNamespace, parameters::kGetSelMediaServerList, &parameters::kReturnsSelMediaServer},
    {"startLive", kTargetNamespace, parameters::kStartLive, &parameters::kReturnsBoolean},
    {"get", kTargetNamespace, {}, &parameters::kReturnsString},
};

enum class Operation {
    uploadVideo,
    login,
    updateVideo,
    getCompany,
    stopLive,
    logOut,
    GetMediaServerList,
    GetSelMediaServerList,
    startLive,
    get,
};

constexpr const OperationDesc& Describe(Operation operation) { return kOperations[static_cast<int>(operation)]; }

// The description of the operation with that name, or null.
const OperationDesc* FindOperation(std::string_view name);

}  // namespace ClientService
