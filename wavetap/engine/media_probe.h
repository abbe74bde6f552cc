#pragma once
// Checks that a path is a media file the engine can play, and reads its length.

#include "engine/results.h"

#include <QString>

#include <cstdint>

namespace wavetap::engine {

struct MediaFileInfo {
    std::int64_t duration100ns = 0;
    bool hasAudio = false;
    bool hasVideo = false;
};

// E_FILE_NOT_FOUND for a missing file, NS_E_INVALID_INPUT when it holds no playable stream.
HRESULT ProbeMediaFile(const QString& path, MediaFileInfo* info);

}  // namespace wavetap::engine
