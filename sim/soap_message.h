#pragma once
// Reading SOAP 1.1 document/literal requests and writing answers and faults.

#include <stdexcept>
#include <string>
#include <string_view>

#include "sim/service_schema.h"
#include "sim/soap_value.h"

namespace sim {

inline constexpr std::string_view kSoapEnvelopeNamespace = "http://schemas.xmlsoap.org/soap/envelope/";

// A failure answered to the caller as a SOAP fault; `code` is the local part
// ("VersionMismatch", "MustUnderstand", "Client" or "Server").
struct SoapFault : std::runtime_error {
  SoapFault(std::string faultCode, const std::string& message)
      : std::runtime_error(message), code(std::move(faultCode)) {}
  std::string code;
};

struct SoapRequest {
  const OperationSpec* operation = nullptr;
  std::string wrapperNamespace;  // the namespace the caller used; answers use the same
  SoapValue args;                // one field per parameter, checked against its kind
};

// Throws SoapFault for anything that is not a well-formed request for a known operation.
SoapRequest ReadSoapRequest(std::string_view body);

// The answer envelope; `result` is ignored for operations without a result.
std::string WriteSoapResponse(const OperationSpec& op, const std::string& wrapperNamespace,
                              const SoapValue& result);

std::string WriteSoapFault(const SoapFault& fault);

// Escapes text for XML character data and attribute values.
std::string EscapeXml(std::string_view text);

}  // namespace sim
