#pragma once
// One-time GStreamer initialisation for the engine.

namespace wavetap::engine {

void EnsureGstreamer();

}  // namespace wavetap::engine
