#include "service-transport/call_outcome.h"

#include "service-transport/response_parser.h"

namespace transport {

ErrorKind ClassifyAnswer(int status, const QByteArray& body, SoapFault& fault) {
    if (status == 200 || status == 202) {
        return ErrorKind::Success;
    }
    if ((status >= 201 && status <= 206) || status == 304 || status == 305) {
        return ErrorKind::ServerError;
    }
    if (status == 500) {
        return ParseSoapFault(body, fault) ? ErrorKind::SoapFault : ErrorKind::FaultParseError;
    }
    return ErrorKind::SendError;
}

ErrorKind ReadAnswer(const OperationDesc& operation, int status, const QByteArray& body, SoapValue& output,
                     SoapFault& fault, std::string* detail) {
    const ErrorKind kind = ClassifyAnswer(status, body, fault);
    if (kind != ErrorKind::Success || status != 200) {
        return kind;
    }
    return ParseSoapResponse(operation, body, output, detail);
}

}  // namespace transport
