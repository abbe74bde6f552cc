// Any request body read as a SOAP request and, when it is one, answered by its
// operation against the seeded state: a fault or an answer, never a crash.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sim/operation_context.h"
#include "sim/seed_data.h"
#include "sim/soap_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const sim::PlatformState seeded = sim::SeedState();
  static const sim::ServiceSettings settings = [] {
    sim::ServiceSettings s;  // defaults for every field the fuzzer does not care about
    s.storageDir = "/nonexistent";
    s.drmLoginUrl = "http://127.0.0.1/drm/login";
    s.licenceUrl = "http://127.0.0.1/drm/license";
    return s;
  }();
  sim::PlatformState state = seeded;  // fresh per input, so every finding reproduces alone
  sim::SessionTable sessions(1800000);
  try {
    sim::SoapRequest request = sim::ReadSoapRequest(std::string_view(reinterpret_cast<const char*>(data), size));
    sim::OperationHandler handler = sim::ClientOperation(request.operation->name);
    if (!handler) handler = sim::RecorderOperation(request.operation->name);
    if (!handler) return 0;
    sim::OperationContext ctx{state, sessions, settings, 1000000, "", nullptr, state.FindCompany(1001), {}, false};
    sim::SettleLiveBalances(state, ctx.nowMs, settings.liveMinuteMs);
    sim::SoapValue result = handler(ctx, request.args);
    sim::WriteSoapResponse(*request.operation, request.wrapperNamespace, result);
  } catch (const sim::SoapFault& fault) {
    sim::WriteSoapFault(fault);
  }
  return 0;
}
