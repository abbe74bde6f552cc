#pragma once
// The SOAP 1.1 fault carried by a 500 answer.

#include <QByteArray>
#include <QString>

namespace transport {

// Fault kinds of the four SOAP 1.1 fault codes.
enum class FaultKind {
    Unknown = 0,
    VersionMismatch = 100,
    MustUnderstand = 200,
    Client = 300,
    Server = 400,
};

struct SoapFault {
    FaultKind kind = FaultKind::Unknown;
    QString code;    // as received, prefix included
    QString string;
    QString actor;
    QString detail;  // the markup inside <detail>, as received
};

// The kind for a fault code: its local part (after any prefix) looked up in the table.
FaultKind FaultKindOf(const QString& faultCode);

// Reads Envelope/Body/Fault with faultcode and faultstring (faultactor and detail
// optional). False when the body is not such a fault.
bool ParseSoapFault(const QByteArray& body, SoapFault& fault);

}  // namespace transport
