// Feeds arbitrary bytes to the push parsers a media server and an encoder run on what the
// other side sends: push bodies (cut in pieces), the ASF padding of their data packets,
// authentication fields and response heads.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "wavetap/stream/asf_packet_padding.h"
#include "wavetap/stream/http_auth.h"
#include "wavetap/stream/http_response_head.h"
#include "wavetap/stream/push_framing.h"

namespace {

void ReadBody(const std::uint8_t* data, std::size_t size)
{
    wavetap::push::PushBodyReader reader;
    std::vector<wavetap::push::PushPacket> packets;
    for (std::size_t pos = 0; pos < size;) {
        const std::size_t piece = std::min<std::size_t>(1 + (data[pos] * 131u) % 9000u, size - pos);
        reader.Feed(reinterpret_cast<const char*>(data + pos), piece, packets);
        pos += piece;
    }
    for (const auto& packet : packets) {
        if (packet.type != 'D')
            continue;
        const auto restored = wavetap::asf::RestorePadding(packet.payload, 4800);
        if (restored && restored->size() != 4800)
            std::abort();  // a restored packet always has the header's size
        if (const auto stripped = wavetap::asf::StripPadding(packet.payload); stripped && stripped->size() > packet.payload.size())
            std::abort();  // stripping never grows a packet
    }
}

void ReadFields(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    wavetap::http::ParseChallenges({text});
    if (const auto authorization = wavetap::http::ParseAuthorization(text)) {
        wavetap::http::BasicMatches(*authorization, "push", "pushpass");
        wavetap::http::DigestMatches(*authorization, "POST", "/live1", "r", "push", "pushpass");
    }
    wavetap::http::ResponseHead head;
    const std::size_t used = head.Feed(text.data(), text.size());
    if (used > text.size())
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ReadBody(data, size);
    ReadFields(data, size);
    return 0;
}
