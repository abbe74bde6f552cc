#pragma once
// A decoder for one media file of a group: each decoded stream is linked to the chain
// waiting for its medium (or discarded), and a chain the file has no stream for is
// reported ended at once.

#include <QString>

typedef struct _GstElement GstElement;
typedef struct _GstBus GstBus;
typedef struct _GstPad GstPad;

namespace wavetap::engine {

inline constexpr const char* kStreamEnded = "wavetap-stream-ended";

struct FileLinks {
    GstElement* bin;
    GstElement* videoChain;  // may be null
    GstElement* audioChain;  // may be null
    GstBus* bus;             // a reference, released with the links
    int branchId;
};

// Links a decoded stream nobody wants to a sink in `bin` that drops it.
void DiscardStream(GstElement* bin, GstPad* pad);

// A uridecodebin for the file, its signals wired to `links` (which it then owns).
GstElement* CreateFileDecoder(const QString& path, FileLinks* links);

}  // namespace wavetap::engine
