#include "sim/drm_material.h"

#include <QString>

#include "drm/content_key.h"
#include "drm/signing_key.h"

namespace sim {

bool ApplyDrmMaterial(PlatformState& state, const std::string& licenceUrl) {
  bool changed = false;
  for (auto& c : state.companies) {
    if (!drm::ValidSeed(QString::fromStdString(c.drmSeed))) {
      c.drmSeed = drm::NewSeed().toStdString();
      changed = true;
    }
    if (!drm::SigningKey::FromPem(QString::fromStdString(c.drmPrivateKey))) {
      if (const auto key = drm::SigningKey::Generate()) c.drmPrivateKey = key->PrivatePem().toStdString();
      changed = true;
    }
    if (c.drmUrl != licenceUrl) {
      c.drmUrl = licenceUrl;
      changed = true;
    }
  }
  return changed;
}

}  // namespace sim
