#pragma once
// The platform's web pages: its state at a glance and the user agreement.

#include <cstddef>
#include <string>
#include <vector>

#include "sim/live_point_status.h"
#include "sim/platform_state.h"

namespace sim {

// `livePoints`: the media servers' publishing points as players see them now.
std::string StatePageHtml(const PlatformState& state, std::size_t sessionCount, const std::string& ftpAddress,
                          const std::vector<LivePointStatus>& livePoints = {});
std::string AgreementPageHtml();
std::string EscapeHtml(const std::string& text);
// A whole page: the title and the body's inner HTML, in the platform's plain style.
std::string HtmlPage(const std::string& title, const std::string& body);

}  // namespace sim
