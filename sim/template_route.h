#pragma once
// POST kTemplatePath from the state page's form changes a programme of a recorder
// channel's weekly template (fields channelId, week, index, name, beginTime, endTime,
// ctId, and remove=1 to remove it), then goes back to the state page.

#include <httplib.h>

#include "sim/platform_service.h"

namespace sim {

inline constexpr const char* kTemplatePath = "/recorder/template";

void InstallTemplateRoute(httplib::Server& server, PlatformService& service);

}  // namespace sim
