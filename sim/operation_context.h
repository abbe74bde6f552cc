#pragma once
// What an operation handler works on: the state, the sessions and the caller.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/platform_state.h"
#include "sim/session_table.h"
#include "sim/soap_value.h"

namespace sim {

class DrmAuthority;

struct ServiceSettings {
  std::string storageDir;             // FTP storage root; a company's files lie under its FTP user
  std::int64_t liveMinuteMs = 60000;  // length of one billed minute of live broadcasting
  std::int64_t allocationHoldMs = 600000;  // a handed-out point not started within this is freed
  std::string drmLoginUrl;
  std::string licenceUrl;                  // the licence endpoint, every company's drmUrl
  const DrmAuthority* drmAuthority = nullptr;  // issues live DRM material
  bool withholdLiveDrm = false;  // a fault: points are handed out without that material
  std::vector<int> mediaPorts;  // ports the media servers listen on, by state order (empty: unchanged)
};

struct OperationContext {
  PlatformState& state;
  SessionTable& sessions;
  const ServiceSettings& settings;
  std::int64_t nowMs = 0;
  std::string requestSessionId;      // from the caller's JSESSIONID cookie
  const Session* session = nullptr;  // the caller's session, for operations that need one
  Company* company = nullptr;        // the signed-in company, for operations that need one
  std::string newSessionId;          // set when login opens a session
  bool changed = false;              // the state must be saved
};

using OperationHandler = SoapValue (*)(OperationContext&, const SoapValue& args);

// Handlers by operation name; null for names the group does not serve.
OperationHandler ClientOperation(std::string_view name);
OperationHandler RecorderOperation(std::string_view name);

// Charges every live broadcast for the minutes it has started so far. Returns true when
// a balance changed.
bool SettleLiveBalances(PlatformState& state, std::int64_t nowMs, std::int64_t minuteMs);

}  // namespace sim
