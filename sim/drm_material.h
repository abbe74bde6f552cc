#pragma once
// Each company's file-protection material: a random seed, a P-256 signing key and the
// platform's own licence address. Made once per company and kept in the state.

#include <string>

#include "sim/platform_state.h"

namespace sim {

// Gives every company without usable material its own, and points every company's
// drmUrl at `licenceUrl`. Returns true when something changed.
bool ApplyDrmMaterial(PlatformState& state, const std::string& licenceUrl);

}  // namespace sim
