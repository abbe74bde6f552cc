#pragma once
// Reads the body of a 200 answer into the operation's out-value.

#include <QByteArray>

#include <string>

#include "service-transport/error_kind.h"
#include "service-transport/soap_description.h"
#include "service-transport/soap_value.h"

namespace transport {

inline constexpr std::size_t kMaxArrayItems = 100000;

// Success with output filled (left initial when the operation answers nothing),
// InitializeError, ReadError (not readable XML) or ParseError (not the expected answer).
// Elements the description does not know are skipped; fields that are missing keep their
// initial values. On failure *detail (when given) names the line and the element.
ErrorKind ParseSoapResponse(const OperationDesc& operation, const QByteArray& body, SoapValue& output,
                            std::string* detail = nullptr);

}  // namespace transport
