#pragma once
// Signing up on the platform's web site: a new trial company with one account.

#include <string>

#include "sim/platform_state.h"

namespace sim {

struct RegistrationForm {
  std::string userName;
  std::string password;
  std::string passwordAgain;
  std::string companyName;
};

// Adds the account and its company (trial user, no balances, FTP user = user name) to
// `state`. Empty on success, else the reason in the page's language.
std::string RegisterAccount(PlatformState& state, const RegistrationForm& form);

}  // namespace sim
