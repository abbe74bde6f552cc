// Feeds arbitrary bytes through the response reader as they would arrive from a peer:
// HTTP head and body (in pieces of a size the input chooses), then the status decides
// between answer parsing and fault parsing, against one of the ClientService operations.
#include <cstddef>
#include <cstdint>

#include "client/service/service_operations.h"
#include "service-transport/call_outcome.h"
#include "service-transport/http_response_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    constexpr std::size_t kOperationCount = std::size(ClientService::kOperations);
    const transport::OperationDesc& operation = ClientService::kOperations[data[0] % kOperationCount];
    const std::size_t piece = static_cast<std::size_t>(data[1]) + 1;
    const char* bytes = reinterpret_cast<const char*>(data + 2);
    const std::size_t length = size - 2;

    transport::HttpResponseReader reader;
    auto state = transport::HttpResponseReader::State::NeedMore;
    for (std::size_t at = 0; at < length && state == transport::HttpResponseReader::State::NeedMore; at += piece) {
        const std::size_t take = at + piece > length ? length - at : piece;
        state = reader.Feed(bytes + at, static_cast<qsizetype>(take));
    }
    if (state == transport::HttpResponseReader::State::NeedMore) {
        state = reader.FinishAtClose();
    }
    if (state != transport::HttpResponseReader::State::Complete) {
        return 0;
    }
    transport::SoapValue output;
    transport::SoapFault fault;
    transport::ReadAnswer(operation, reader.Status(), reader.Body(), output, fault);
    return 0;
}
