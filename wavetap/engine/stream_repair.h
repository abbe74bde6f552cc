#pragma once
// The live stream's counterpart of the archive repair: the header and the packets the
// muxer hands out are corrected on their way to the pull server and the push.

#include "wavetap/stream/asf_header_repair.h"
#include "wavetap/stream/asf_stream_splitter.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace wavetap::engine {

class StreamRepair {
public:
    using Deliver = std::function<void(const char* data, std::size_t size)>;

    explicit StreamRepair(const asf::StreamBitrates& bitrates) : bitrates_(bitrates) {}
    // Bytes of the muxer's stream, in pieces of any size; whole headers and packets go on
    // to deliver, repaired. A header is dated when it passes.
    void Feed(const char* data, std::size_t size, const Deliver& deliver);

private:
    asf::StreamBitrates bitrates_;
    AsfStreamSplitter splitter_;
    std::vector<AsfUnit> units_;
};

}  // namespace wavetap::engine
