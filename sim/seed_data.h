#pragma once
// The state a fresh data folder starts with: three accounts (full balances, zero
// balances, single-session), two media servers, a recorder channel with templates
// and a small TV guide.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/platform_state.h"

namespace sim {

PlatformState SeedState();

// Points every company's FTP address, and every recorder channel's FTP entries, at the
// storage server of this run.
void ApplyFtpEndpoint(PlatformState& state, const std::string& host, std::int32_t port);
// Gives the state's media servers the ports they listen on (by state order), so the
// addresses the service hands out are the ones that answer.
void ApplyMediaPorts(PlatformState& state, const std::vector<int>& ports);

}  // namespace sim
