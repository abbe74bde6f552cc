#pragma once
// Operation descriptions used by the transport tests: shaped like the service's own
// (a record answer, an array answer, scalar kinds, a record parameter, nested records).

#include "service-transport/soap_description.h"

namespace sample {

using namespace transport;

inline constexpr std::string_view kNamespace = "http://service.example.org";

inline constexpr FieldDesc kLoginResultFields[] = {{"code", &kLongType}, {"sessionId", &kStringType}};
inline constexpr TypeDesc kLoginResult{ValueKind::Record, "TLoginResult", kLoginResultFields};
inline constexpr FieldDesc kLoginInputs[] = {{"userName", &kStringType}, {"passWord", &kStringType}};
inline constexpr FieldDesc kLoginOutput{"return", &kLoginResult};
inline constexpr OperationDesc kLogin{"login", kNamespace, kLoginInputs, &kLoginOutput};

inline constexpr FieldDesc kServerFields[] = {{"id", &kLongType}, {"mediaName", &kStringType}};
inline constexpr TypeDesc kServer{ValueKind::Record, "T_MediaServer", kServerFields};
inline constexpr TypeDesc kServerArray{ValueKind::Array, "ArrayOfT_MediaServer", {}, &kServer};
inline constexpr FieldDesc kServersOutput{"return", &kServerArray};
inline constexpr OperationDesc kServers{"GetMediaServerList", kNamespace, {}, &kServersOutput};

inline constexpr FieldDesc kScalarsFields[] = {
    {"flag", &kBooleanType}, {"count", &kIntType}, {"size", &kLongType}, {"ratio", &kFloatType}, {"name", &kStringType}};
inline constexpr TypeDesc kScalars{ValueKind::Record, "TScalars", kScalarsFields};
inline constexpr FieldDesc kScalarsOutput{"return", &kScalars};
inline constexpr OperationDesc kGetScalars{"getScalars", kNamespace, {}, &kScalarsOutput};

inline constexpr OperationDesc kLogOut{"logOut", kNamespace, {}, nullptr};

inline constexpr FieldDesc kStopInputs[] = {{"id", &kLongType}};
inline constexpr FieldDesc kBooleanOutput{"return", &kBooleanType};
inline constexpr OperationDesc kStopLive{"stopLive", kNamespace, kStopInputs, &kBooleanOutput};

// A record parameter with an int array, and a record answer holding a record and an array.
inline constexpr TypeDesc kIntArray{ValueKind::Array, "ArrayOfInt", {}, &kIntType, "int"};
inline constexpr FieldDesc kShowFieldsTyped[] = {{"name", &kStringType}, {"weeks", &kIntArray}, {"active", &kBooleanType}};
inline constexpr TypeDesc kShow{ValueKind::Record, "TShow", kShowFieldsTyped};
inline constexpr FieldDesc kChannelFields[] = {{"show", &kShow}, {"servers", &kServerArray}, {"title", &kStringType}};
inline constexpr TypeDesc kChannel{ValueKind::Record, "TChannel", kChannelFields};
inline constexpr FieldDesc kPutShowInputs[] = {{"show", &kShow}, {"note", &kStringType}};
inline constexpr FieldDesc kChannelOutput{"return", &kChannel};
inline constexpr OperationDesc kPutShow{"putShow", kNamespace, kPutShowInputs, &kChannelOutput};

}  // namespace sample
