#pragma once
// The platform's licence endpoint: GET kLicencePath?kid=KEY_ID with the session cookie
// of a ClientService sign-in answers the key id's licence (text/plain) or a refusal.

#include <httplib.h>

#include "sim/platform_service.h"

namespace sim {

inline constexpr const char* kLicencePath = "/drm/license";

void InstallLicenceRoute(httplib::Server& server, PlatformService& service);

}  // namespace sim
