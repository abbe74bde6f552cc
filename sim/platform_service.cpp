#include "sim/platform_service.h"

#include "sim/account_password.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "sim/drm_material.h"
#include "sim/seed_data.h"
#include "sim/soap_message.h"
#include "sim/state_file.h"

namespace sim {

std::int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

PlatformService::PlatformService(std::string dataDir, ServiceSettings settings, std::int64_t sessionIdleMs)
    : statePath_((std::filesystem::path(dataDir) / "platform-state.json").string()),
      settings_(std::move(settings)),
      sessions_(sessionIdleMs) {}

bool PlatformService::Open(const std::string& ftpHost, std::int32_t ftpPort, std::string& error) {
  std::lock_guard lock(mutex_);
  if (!LoadState(statePath_, state_, error)) {
    if (!error.empty()) return false;  // an unreadable file is kept for the operator, not replaced
    state_ = SeedState();
  }
  ProtectPasswords(state_);
  ApplyFtpEndpoint(state_, ftpHost, ftpPort);
  ApplyDrmMaterial(state_, settings_.licenceUrl);
  ApplyMediaPorts(state_, settings_.mediaPorts);
  return Save(error);
}

bool PlatformService::Save(std::string& error) { return SaveState(statePath_, state_, error); }

ServiceAnswer PlatformService::Handle(std::string_view body, const std::string& cookieHeader, bool hasSoapAction) {
  ServiceAnswer answer;
  try {
    if (!hasSoapAction) throw SoapFault("Client", "the request has no SOAPAction header");
    SoapRequest request = ReadSoapRequest(body);
    const OperationSpec& op = *request.operation;
    answer.operation = op.name;
    OperationHandler handler = ClientOperation(op.name);
    if (!handler) handler = RecorderOperation(op.name);
    if (!handler) throw SoapFault("Server", "operation '" + op.name + "' is not served");

    std::lock_guard lock(mutex_);
    OperationContext ctx{state_, sessions_, settings_, NowMs(), SessionIdFromCookie(cookieHeader), nullptr,
                         nullptr, {}, false};
    ctx.changed = SettleLiveBalances(state_, ctx.nowMs, settings_.liveMinuteMs);
    if (op.needsSession) {
      ctx.session = ctx.requestSessionId.empty() ? nullptr : sessions_.Find(ctx.requestSessionId, ctx.nowMs);
      if (!ctx.session) throw SoapFault("Client", "no valid session: sign in first");
      ctx.company = state_.FindCompany(ctx.session->companyId);
      if (!ctx.company) throw SoapFault("Server", "the session's company no longer exists");
    }
    SoapValue result = handler(ctx, request.args);
    answer.newSessionId = ctx.newSessionId;
    if (ctx.changed) {
      std::string error;
      if (!Save(error)) throw SoapFault("Server", error);
    }
    answer.body = WriteSoapResponse(op, request.wrapperNamespace, result);
    answer.status = 200;
  } catch (const SoapFault& fault) {
    answer.status = 500;
    answer.body = WriteSoapFault(fault);
  } catch (const std::exception& e) {
    answer.status = 500;
    answer.body = WriteSoapFault(SoapFault("Server", e.what()));
  }
  return answer;
}

std::string PlatformService::Register(const RegistrationForm& form) {
  std::lock_guard lock(mutex_);
  std::string why = RegisterAccount(state_, form);
  ProtectPasswords(state_);
  if (!why.empty()) return why;
  ApplyDrmMaterial(state_, settings_.licenceUrl);  // the new company's own DRM material
  std::string error;
  if (!Save(error)) return "平台无法保存新账户：" + error;
  return {};
}

PlatformState PlatformService::Snapshot(std::size_t& sessionCount) {
  std::lock_guard lock(mutex_);
  std::int64_t now = NowMs();
  if (SettleLiveBalances(state_, now, settings_.liveMinuteMs)) {
    std::string error;
    if (!Save(error)) std::fprintf(stderr, "castora-platform: %s\n", error.c_str());
  }
  sessionCount = sessions_.Count(now);
  return state_;
}

}  // namespace sim
