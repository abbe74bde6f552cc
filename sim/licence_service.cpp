// The licence endpoint's answer: the content key of a key id, for the company that
// registered the key id (by uploadVideo for a protected file, by startLive for a
// protected broadcast) and for nobody else.

#include <QByteArray>
#include <QString>

#include "drm/content_key.h"
#include "drm/licence_answer.h"
#include "sim/platform_service.h"

namespace sim {
namespace {

// The seed the key id's content key was made with, or empty when `companyId` did not register it.
std::string SeedOfKeyId(const PlatformState& state, std::int64_t companyId, const std::string& kid) {
  for (const auto& v : state.videos) {
    if (v.companyId != companyId || v.kid != kid) continue;
    for (const auto& c : state.companies)
      if (c.id == companyId) return c.drmSeed;
  }
  for (const auto& b : state.broadcasts) {
    if (b.companyId == companyId && b.isDrm == 1 && b.kid == kid && !b.seed.empty()) return b.seed;
  }
  return {};
}

}  // namespace

LicenceAnswer PlatformService::IssueLicence(const std::string& cookieHeader, const std::string& kid) {
  QByteArray rawKid;
  if (!drm::DecodeKeyId(QString::fromStdString(kid), &rawKid)) return {400, "not a key id\n"};
  std::lock_guard lock(mutex_);
  const Session* session = sessions_.Find(SessionIdFromCookie(cookieHeader), NowMs());
  if (!session) return {401, "no valid session: sign in first\n"};
  // Unknown key ids and those of other companies get the same answer.
  const std::string seed = SeedOfKeyId(state_, session->companyId, kid);
  if (seed.empty()) return {403, "no licence: the key id is not registered by your company\n"};
  QByteArray key;
  if (!drm::DeriveContentKey(QString::fromStdString(seed), rawKid, &key))
    return {500, "the key id's seed cannot make a key\n"};
  return {200, drm::WriteLicence(QString::fromStdString(kid), key).toStdString()};
}

}  // namespace sim
