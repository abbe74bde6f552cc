#pragma once
// The platform's HTTP face: the SOAP endpoint (with its WSDL), the state page and the
// user agreement, with the configured faults injected into service answers.

#include <httplib.h>

#include <string>

#include "sim/platform_options.h"
#include "sim/platform_service.h"

namespace sim {

inline constexpr const char* kServicePath = "/vekservices/ClientService";

class MediaServers;

// The whole answer to a request whose body is over the size limit: a SOAP fault on the
// service path (as every error there), 413 elsewhere.
std::string TooLargeAnswer(const std::string& method, const std::string& target);

// `media` (may be null) gives the live points the state page shows.
void InstallRoutes(httplib::Server& server, PlatformService& service, const PlatformOptions& options,
                   const std::string& ftpAddress, const MediaServers* media = nullptr);

}  // namespace sim
