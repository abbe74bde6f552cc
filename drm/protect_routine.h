#pragma once
// The DRM protect task's protect routine: protects one media file with the account's
// seed, signing private key and licence address, writing each failing step's text to
// the DRM trace log. Runs on the calling (worker) thread.

#include "drm/results.h"

#include <QString>

// On success `keyId` is the protected file's key id. The key id is also returned once
// step 3 has run, even if a later step fails.
drm::HRESULT ProtectMediaFile(const QString& seed, const QString& privateKey, const QString& licenceUrl,
                              const QString& inputPath, const QString& outputPath, QString* keyId);
