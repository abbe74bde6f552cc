#pragma once
// The platform's web site as the client opens it: the home page and the registration page.

#include <string>

#include "sim/registration.h"

namespace sim {

std::string HomePageHtml();
// The form, with `message` above it (an error, or empty) and the operator's entries kept.
std::string RegistrationPageHtml(const std::string& message, const RegistrationForm& entered);
std::string RegisteredPageHtml(const RegistrationForm& registered);

}  // namespace sim
