// The desktop client's operations: sign-in, the company record, media servers and
// publishing points, live broadcasts and their billing, uploaded videos.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <string>

#include "sim/drm_authority.h"
#include "sim/operation_context.h"
#include "sim/record_fields.h"
#include "sim/soap_message.h"

namespace sim {
namespace {

using Fields = std::map<std::string, SoapValue>;

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

SoapValue Login(OperationContext& ctx, const SoapValue& args) {
  const std::string user = args.String("userName");
  const Account* account = nullptr;
  for (const auto& a : ctx.state.accounts) {
    if (a.userName == user && EqualsIgnoringCase(a.passwordDigest, args.String("passWord"))) account = &a;
  }
  if (!account) return SoapValue::Record({{"code", SoapValue::Num(0)}});
  if (account->singleSession) {
    // A caller signing in again from its own session is not "elsewhere".
    const Session* own = ctx.sessions.Find(ctx.requestSessionId, ctx.nowMs);
    if (own && own->userName == account->userName) ctx.sessions.Remove(ctx.requestSessionId);
    if (ctx.sessions.HasSessionFor(account->userName, ctx.nowMs))
      return SoapValue::Record({{"code", SoapValue::Num(-1)}});
  }
  ctx.newSessionId = ctx.sessions.Create(account->userName, account->companyId, ctx.nowMs);
  return SoapValue::Record(
      {{"code", SoapValue::Num(account->companyId)}, {"sessionId", SoapValue::Str(ctx.newSessionId)}});
}

SoapValue LogOut(OperationContext& ctx, const SoapValue&) {
  ctx.sessions.Remove(ctx.requestSessionId);
  return {};
}

SoapValue GetCompany(OperationContext& ctx, const SoapValue&) { return RecordOf(*ctx.company); }

SoapValue GetMediaServerList(OperationContext& ctx, const SoapValue&) {
  SoapValue list;
  for (const auto& s : ctx.state.mediaServers) {
    list.items.push_back(SoapValue::Record({{"id", SoapValue::Num(s.id)}, {"mediaName", SoapValue::Str(s.mediaName)}}));
  }
  return list;
}

// Frees publishing points handed out but never started within the hold time.
void ReleaseStaleAllocations(OperationContext& ctx) {
  for (auto& b : ctx.state.broadcasts) {
    if (b.state != "allocated" || ctx.nowMs - b.allocatedAt < ctx.settings.allocationHoldMs) continue;
    b.state = "released";
    b.endedAt = ctx.nowMs;
    if (MediaServer* s = ctx.state.FindServer(b.serverId)) {
      for (auto& p : s->points) {
        if (p.liveId == b.liveId) p.liveId = 0;
      }
    }
    ctx.changed = true;
  }
}

std::string PlayPath(const MediaServer& s, const std::string& point) {
  return "mms://" + s.ip + ":" + std::to_string(s.port) + "/" + point;
}

SoapValue GetSelMediaServerList(OperationContext& ctx, const SoapValue& args) {
  ReleaseStaleAllocations(ctx);
  MediaServer* server = ctx.state.FindServer(args.Long("id"));
  if (!server) throw SoapFault("Client", "unknown media server " + std::to_string(args.Long("id")));
  if (ctx.company->liveCount <= 0) throw SoapFault("Client", "the company has no live balance");
  Fields f{{"id", SoapValue::Num(server->id)}, {"mediaName", SoapValue::Str(server->mediaName)}};
  auto point = std::find_if(server->points.begin(), server->points.end(),
                            [](const PublishingPoint& p) { return p.liveId == 0; });
  if (point == server->points.end()) {
    f["code"] = SoapValue::Num(1);
    return SoapValue::Record(std::move(f));
  }
  Broadcast b;
  b.liveId = ctx.state.nextId++;
  b.companyId = ctx.company->id;
  b.serverId = server->id;
  b.pubPoint = point->name;
  b.playPath = PlayPath(*server, point->name);
  b.type = args.Int("type");
  b.profile = args.String("profile");
  b.videoDevice = args.String("videoDevice");
  b.audioDevice = args.String("audioDevice");
  b.state = "allocated";
  b.allocatedAt = ctx.nowMs;
  point->liveId = b.liveId;

  f["code"] = SoapValue::Num(0);
  f["ip"] = SoapValue::Str(server->ip);
  f["port"] = SoapValue::Num(server->port);
  f["isCdn"] = SoapValue::Str(server->isCdn);
  f["isLogin"] = SoapValue::Num(server->isLogin);
  f["serverUser"] = SoapValue::Str(server->serverUser);
  f["serverPass"] = SoapValue::Str(server->serverPass);
  f["pubPoint"] = SoapValue::Str(point->name);
  f["liveId"] = SoapValue::Num(b.liveId);
  f["playPath"] = SoapValue::Str(b.playPath);
  // DRM material only for a company with a DRM balance; without it the client refuses to start.
  if (args.Int("isDrm") == 1 && ctx.company->drmCount > 0 && !ctx.settings.withholdLiveDrm) {
    const auto material = ctx.settings.drmAuthority ? ctx.settings.drmAuthority->IssueLiveMaterial() : std::nullopt;
    if (!material) throw SoapFault("Server", "the rights authority cannot issue DRM material");
    b.isDrm = 1;
    b.publicKey = material->publicKey;
    f["publicKey"] = SoapValue::Str(material->publicKey);
    f["privateKey"] = SoapValue::Str(material->privateKey);
    f["signedPublicKey"] = SoapValue::Str(material->signedPublicKey);
    f["licSrvCert"] = SoapValue::Str(material->licSrvCert);
    f["rootCert"] = SoapValue::Str(material->rootCert);
    f["loginUrl"] = SoapValue::Str(ctx.settings.drmLoginUrl);
  }
  ctx.state.broadcasts.push_back(std::move(b));
  ctx.changed = true;
  return SoapValue::Record(std::move(f));
}

void FillStartDetails(Broadcast& b, const SoapValue& args, std::int64_t nowMs) {
  b.publicKey = args.String("publicKey");
  b.seed = args.String("seed");
  b.kid = args.String("kid");
  b.isDrm = args.Int("isDrm");
  b.playUrl = args.String("playUrl");
  b.userIp = args.String("userIp");
  b.state = "live";
  b.startedAt = nowMs;
}

SoapValue StartLive(OperationContext& ctx, const SoapValue& args) {
  const std::int64_t liveId = args.Long("liveId");
  if (liveId == 0) {
    // A broadcast served from the operator's PC only: recorded, never billed.
    Broadcast b;
    b.liveId = ctx.state.nextId++;
    b.companyId = ctx.company->id;
    FillStartDetails(b, args, ctx.nowMs);
    b.playPath = b.playUrl;
    ctx.state.broadcasts.push_back(std::move(b));
    ctx.changed = true;
    return SoapValue::Bool(true);
  }
  Broadcast* b = ctx.state.FindBroadcast(liveId);
  if (!b || b->companyId != ctx.company->id || b->serverId == 0 || b->state != "allocated")
    return SoapValue::Bool(false);
  FillStartDetails(*b, args, ctx.nowMs);
  ctx.changed = true;
  return SoapValue::Bool(true);
}

void EndBroadcast(OperationContext& ctx, Broadcast& b) {
  b.state = b.state == "live" ? "ended" : "released";
  b.endedAt = ctx.nowMs;
  if (MediaServer* s = ctx.state.FindServer(b.serverId)) {
    for (auto& p : s->points) {
      if (p.liveId == b.liveId) p.liveId = 0;
    }
  }
  ctx.changed = true;
}

SoapValue StopLive(OperationContext& ctx, const SoapValue& args) {
  const std::int64_t id = args.Long("id");
  bool stopped = false;
  for (auto& b : ctx.state.broadcasts) {
    if (b.companyId != ctx.company->id) continue;
    bool local = id == 0 && b.serverId == 0 && b.state == "live";
    bool served = id != 0 && b.liveId == id && b.serverId != 0 && (b.state == "live" || b.state == "allocated");
    if (local || served) {
      EndBroadcast(ctx, b);
      stopped = true;
    }
  }
  return SoapValue::Bool(stopped);
}

// A stored name from the client, used as a path below the company's storage only
// when it cannot climb out of it.
bool IsPlainRelativePath(const std::string& p) {
  if (p.empty() || p.front() == '/' || p.front() == '\\') return false;
  std::filesystem::path path(p);
  for (const auto& part : path) {
    if (part == "..") return false;
  }
  return true;
}

SoapValue UploadVideo(OperationContext& ctx, const SoapValue& args) {
  const SoapValue& v = args.Field("video");
  const std::int64_t size = v.Long("videoSize");
  const std::int64_t kib = (size + 1023) / 1024;
  Company& c = *ctx.company;
  if (c.vodCount <= 0 || size < 0 || c.freeSpace < kib) return SoapValue::Bool(false);
  Video video;
  video.id = ctx.state.nextId++;
  video.companyId = c.id;
  video.isUpload = v.Int("isUpload");
  video.onlyAudio = v.Int("onlyAudio");
  video.kid = v.String("kid");
  video.uploadFolder = v.String("uploadFolder");
  video.uploadName = v.String("uploadName");
  video.videoName = v.String("videoName");
  video.videoSize = size;
  video.reportedAt = ctx.nowMs;
  std::string relative = video.uploadFolder + "/" + video.uploadName;
  if (IsPlainRelativePath(video.uploadFolder) && IsPlainRelativePath(video.uploadName)) {
    std::error_code ec;
    std::filesystem::path file = std::filesystem::path(ctx.settings.storageDir) / c.ftpUser / relative;
    video.inStorage = std::filesystem::is_regular_file(file, ec);
  }
  c.freeSpace -= kib;
  ctx.state.videos.push_back(std::move(video));
  ctx.changed = true;
  return SoapValue::Bool(true);
}

SoapValue UpdateVideo(OperationContext& ctx, const SoapValue& args) {
  const std::string name = args.String("videoName");
  const std::string path = args.String("videoPath");
  for (auto it = ctx.state.videos.rbegin(); it != ctx.state.videos.rend(); ++it) {
    if (it->companyId != ctx.company->id || it->videoName != name) continue;
    auto slash = path.find_last_of("/\\");
    it->uploadFolder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    it->uploadName = slash == std::string::npos ? path : path.substr(slash + 1);
    ctx.changed = true;
    return SoapValue::Bool(true);
  }
  return SoapValue::Bool(false);
}

SoapValue Get(OperationContext& ctx, const SoapValue&) {
  return SoapValue::Str("castora-platform " + ctx.company->comName);
}

}  // namespace

OperationHandler ClientOperation(std::string_view name) {
  static const std::map<std::string_view, OperationHandler> handlers{
      {"uploadVideo", UploadVideo},
      {"login", Login},
      {"updateVideo", UpdateVideo},
      {"getCompany", GetCompany},
      {"stopLive", StopLive},
      {"logOut", LogOut},
      {"GetMediaServerList", GetMediaServerList},
      {"GetSelMediaServerList", GetSelMediaServerList},
      {"startLive", StartLive},
      {"get", Get},
  };
  auto it = handlers.find(name);
  return it == handlers.end() ? nullptr : it->second;
}

bool SettleLiveBalances(PlatformState& state, std::int64_t nowMs, std::int64_t minuteMs) {
  bool changed = false;
  for (auto& b : state.broadcasts) {
    if (b.state != "live" || b.serverId == 0) continue;
    std::int64_t started = std::max<std::int64_t>(0, nowMs - b.startedAt) / minuteMs + 1;
    std::int64_t due = started - b.minutesCharged;
    if (due <= 0) continue;
    if (Company* c = state.FindCompany(b.companyId)) c->liveCount = std::max<std::int64_t>(0, c->liveCount - due);
    b.minutesCharged = started;
    changed = true;
  }
  return changed;
}

}  // namespace sim
