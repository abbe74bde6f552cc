#pragma once

#include <string_view>

namespace transport {

inline constexpr std::string_view kSoapEnvelopeNamespace = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr std::string_view kSchemaInstanceNamespace = "http://www.w3.org/2001/XMLSchema-instance";

// True when the element carries xsi:nil="1" or xsi:nil="true".
bool IsNil(const char** attributes);

}  // namespace transport
