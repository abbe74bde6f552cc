// Feeds arbitrary bytes to the stream server's parsers: as a live ASF stream cut into
// pieces of varying size (each packet also rewritten as a joining viewer's first, each
// header repaired), and as a viewer's request head.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "wavetap/stream/asf_header_repair.h"
#include "wavetap/stream/asf_join_packet.h"
#include "wavetap/stream/asf_packet_scan.h"
#include "wavetap/stream/asf_stream_splitter.h"
#include "wavetap/stream/http_request.h"
#include "wavetap/stream/wmsp_protocol.h"

namespace {

void SplitStream(const std::uint8_t* data, std::size_t size)
{
    wavetap::AsfStreamSplitter splitter;
    std::vector<wavetap::AsfUnit> units;
    wavetap::asf::HeaderInfo header;
    // Piece sizes follow the data itself, so the same bytes are cut in many ways.
    std::size_t pos = 0;
    while (pos < size) {
        const std::size_t piece = std::min<std::size_t>(1 + (data[pos] * 37u) % 4096u, size - pos);
        splitter.Feed(reinterpret_cast<const char*>(data + pos), piece, units);
        pos += piece;
    }
    for (const wavetap::AsfUnit& unit : units) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(unit.bytes.constData());
        const auto length = static_cast<std::size_t>(unit.bytes.size());
        if (unit.kind == wavetap::AsfUnit::Kind::Header) {
            header = unit.header;
            if (!wavetap::asf::ParseHeader(bytes, length) || header.packetSize == 0)
                std::abort();  // a header the splitter accepted parses again
            QByteArray repaired = unit.bytes;
            wavetap::asf::RepairHeader(reinterpret_cast<std::uint8_t*>(repaired.data()), length, {448000, 64000}, 0);
            if (repaired.size() != unit.bytes.size() || !wavetap::asf::ParseHeader(
                                                            reinterpret_cast<const std::uint8_t*>(repaired.constData()), length))
                std::abort();  // repairing keeps the size and a header that parses
        } else if (length != header.packetSize) {
            std::abort();  // packets are always whole
        } else if (const auto joined = wavetap::asf::JoinPacket(unit.bytes, header); joined && joined->size() != unit.bytes.size()) {
            std::abort();  // a joining packet has the stream's packet size
        }
    }
    // The packet scan on the raw bytes, as if they were one packet of a stream with video.
    wavetap::asf::HeaderInfo anyVideo;
    anyVideo.packetSize = static_cast<std::uint32_t>(size);
    anyVideo.videoStreams.set();
    wavetap::asf::ScanPacket(data, size, anyVideo);
}

void ParseRequest(const std::uint8_t* data, std::size_t size)
{
    wavetap::HttpRequest request;
    const std::size_t half = size / 2;
    request.Feed(reinterpret_cast<const char*>(data), half);
    if (request.Feed(reinterpret_cast<const char*>(data + half), size - half) == wavetap::HttpRequest::State::Complete) {
        wavetap::ClassifyRequest(request);
        request.Pragma("stream-switch-entry");
        request.Header("Host");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SplitStream(data, size);
    ParseRequest(data, size);
    return 0;
}
