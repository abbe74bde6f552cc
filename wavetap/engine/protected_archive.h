#pragma once
// The archive file of a protected run: a sink that takes what the muxer writes for
// the plain file (its buffers and byte-position segments) and writes it protected.

#include "drm/content_protection.h"

#include <QString>

typedef struct _GstElement GstElement;

namespace wavetap::engine {

// A sink writing `path`; null with `reason` set when the file cannot be opened. A
// failure while writing posts an error on the pipeline's bus.
GstElement* CreateProtectedArchiveSink(const QString& path, const drm::ContentProtection& protection, QString* reason);

}  // namespace wavetap::engine
