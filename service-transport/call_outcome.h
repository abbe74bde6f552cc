#pragma once
// What a complete HTTP answer means for a call: the status decides between success,
// server error, SOAP fault and send error; a 200 body is read into the out-value.

#include <QByteArray>

#include <string>

#include "service-transport/error_kind.h"
#include "service-transport/fault_parser.h"
#include "service-transport/soap_description.h"
#include "service-transport/soap_value.h"

namespace transport {

// 200 and 202 give Success; 201, 203-206, 304 and 305 ServerError; 500 SoapFault
// (fault filled) or FaultParseError; anything else SendError.
ErrorKind ClassifyAnswer(int status, const QByteArray& body, SoapFault& fault);

// ClassifyAnswer, then for 200 the body parsed into output (202 leaves it initial).
// *detail (when given) says where a body that could not be read went wrong.
ErrorKind ReadAnswer(const OperationDesc& operation, int status, const QByteArray& body, SoapValue& output,
                     SoapFault& fault, std::string* detail = nullptr);

}  // namespace transport
