#pragma once
// The platform's state as one JSON file in the data folder, replaced atomically on
// every save so that a crash never leaves a half-written file.

#include <string>

#include "sim/platform_state.h"

namespace sim {

// Reads `path`. Returns false with `error` set when the file exists but cannot be read
// or parsed; a missing file returns false with an empty `error`.
bool LoadState(const std::string& path, PlatformState& state, std::string& error);

// Writes `path` through a temporary file and a rename. Returns false with `error` set.
bool SaveState(const std::string& path, const PlatformState& state, std::string& error);

}  // namespace sim
