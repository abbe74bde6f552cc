#include "engine/stream_repair.h"

#include "wavetap/stream/asf_packet_padding.h"

#include <chrono>

namespace wavetap::engine {

void StreamRepair::Feed(const char* data, std::size_t size, const Deliver& deliver) {
    units_.clear();
    splitter_.Feed(data, size, units_);
    for (AsfUnit& unit : units_) {
        if (unit.kind == AsfUnit::Kind::Header) {
            asf::RepairHeader(reinterpret_cast<std::uint8_t*>(unit.bytes.data()), static_cast<std::size_t>(unit.bytes.size()),
                              bitrates_, asf::FileTime(std::chrono::system_clock::now()));
        } else if (std::optional<QByteArray> repaired = asf::WithFullPacketLength(unit.bytes)) {
            unit.bytes = std::move(*repaired);
        }
        deliver(unit.bytes.constData(), static_cast<std::size_t>(unit.bytes.size()));
    }
    units_.clear();
}

}  // namespace wavetap::engine
