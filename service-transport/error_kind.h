#pragma once
// How a service call ended; kept on the proxy after a failure.

namespace transport {

enum class ErrorKind {
    Success = 0,
    InitializeError = 1,  // the XML reader cannot be created
    OutOfMemory = 2,      // the call's parameter block cannot be set up
    GenerateError = 3,    // the request envelope cannot be written
    SendError = 5,        // connect, send or receive failed, or an unexpected status
    ServerError = 6,      // a success status other than 200 and 202
    SoapFault = 7,        // status 500 with a SOAP fault
    FaultParseError = 8,  // status 500 whose body is not a readable fault
    ReadError = 9,        // the 200 body cannot be read as XML
    ParseError = 10,      // the 200 body does not match the expected response
};

// HRESULT-style results: negative means failure.
using HResult = int;
inline constexpr HResult kOk = 0;
inline constexpr HResult kFail = static_cast<int>(0x80004005U);

}  // namespace transport
