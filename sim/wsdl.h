#pragma once

#include <string>

namespace sim {

// A WSDL 1.1 document of every served operation, document/literal with wrapped
// parameters, whose service port is at `endpointUrl`.
std::string ServiceWsdl(const std::string& endpointUrl);

}  // namespace sim
