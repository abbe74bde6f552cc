#pragma once
// The platform's service: its state (loaded from and saved to the data folder), the
// sessions, and the answer to one SOAP request. Safe to call from several threads.

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "sim/operation_context.h"
#include "sim/platform_state.h"
#include "sim/registration.h"
#include "sim/session_table.h"
#include "sim/template_editing.h"

namespace sim {

// An answer of the licence endpoint: 200 with the licence, or a refusal and its reason.
struct LicenceAnswer {
  int status = 200;
  std::string body;
};

struct ServiceAnswer {
  int status = 200;           // 200, or 500 with a SOAP fault
  std::string body;
  std::string operation;      // empty when the request named none
  std::string newSessionId;   // set when the request opened a session
};

class PlatformService {
 public:
  PlatformService(std::string dataDir, ServiceSettings settings, std::int64_t sessionIdleMs);

  // Loads the state file, or seeds a new one; points the companies at the FTP storage.
  bool Open(const std::string& ftpHost, std::int32_t ftpPort, std::string& error);

  ServiceAnswer Handle(std::string_view body, const std::string& cookieHeader, bool hasSoapAction);

  // The licence of a key id for the company signed in with the cookie.
  LicenceAnswer IssueLicence(const std::string& cookieHeader, const std::string& kid);

  // Signs a new company up from the registration page; empty on success, else why not.
  std::string Register(const RegistrationForm& form);

  // Changes a recorder template from the state page; empty on success, else why not.
  std::string EditRecorderTemplate(const TemplateEdit& edit);

  // A copy of the state with live balances settled to now, and the count of sessions.
  PlatformState Snapshot(std::size_t& sessionCount);

 private:
  bool Save(std::string& error);

  std::string statePath_;
  ServiceSettings settings_;
  std::mutex mutex_;
  PlatformState state_;
  SessionTable sessions_;
};

// Milliseconds since the Unix epoch.
std::int64_t NowMs();

}  // namespace sim
