// Feeds arbitrary bytes as the body of an answer to one of the recorder's operations
// (the first byte chooses which) and reads the records the recorder takes from it.
#include <cstddef>
#include <cstdint>

#include "recorder/recorder_records.h"
#include "recorder/recorder_service_operations.h"
#include "service-transport/response_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    using RecorderService::Operation;
    constexpr std::size_t kOperationCount = std::size(RecorderService::kOperations);
    const auto operation = static_cast<Operation>(data[0] % kOperationCount);
    const QByteArray body(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    transport::SoapValue output;
    if (transport::ParseSoapResponse(RecorderService::Describe(operation), body, output) != transport::ErrorKind::Success) {
        return 0;
    }
    switch (operation) {
    case Operation::bChannel:
        RecorderService::ReadENCInfo(output);
        break;
    case Operation::getTemple:
        RecorderService::ReadENCTemple(output);
        break;
    case Operation::getEncSpcTemple:
        RecorderService::ReadENCSpcTemple(output);
        break;
    case Operation::insertChannel:
        RecorderService::ReadENCResult(output);
        break;
    default:
        break;
    }
    return 0;
}
