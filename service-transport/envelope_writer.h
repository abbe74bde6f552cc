#pragma once
// The request envelope of one operation: SOAP 1.1, document/literal, wrapped
// parameters, no XML declaration, no header, no line breaks.

#include <QByteArray>

#include <optional>
#include <vector>

#include "service-transport/soap_description.h"
#include "service-transport/soap_value.h"

namespace transport {

// The envelope with the in-parameters in table order, or nothing when the values do not
// match the description (wrong count or shape).
std::optional<QByteArray> WriteEnvelope(const OperationDesc& operation, const std::vector<SoapValue>& inputs);

}  // namespace transport
