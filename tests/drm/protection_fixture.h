#pragma once
// Key material and a content protection for tests, made through the rights manager's
// own objects in the order the protect routine uses them.

#include "drm/content_protection.h"
#include "drm/rights_manager.h"
#include "drm/signing_key.h"

#include <QString>

namespace drm_test {

inline QString TestSeed() { return QStringLiteral("test-seed-0123456789-abcdefghij"); }

inline QString TestPrivateKey() {
    static const QString pem = drm::SigningKey::Generate()->PrivatePem();
    return pem;
}

// A protection for a fresh key id under the seed; the key id is in `keyId`.
inline drm::ContentProtection MakeProtection(const QString& seed = TestSeed(),
                                             const QString& licenceUrl = QStringLiteral("http://127.0.0.1/drm/license")) {
    drm::Initialize();
    drm::CWMRMKeys keys;
    drm::CWMRMHeader header;
    drm::CWMRMProtect protect;
    QString kid, cid, key, text;
    keys.put_Seed(seed);
    keys.GenerateKeyID(&kid);
    keys.put_KeyID(kid);
    header.put_KeyID(kid);
    keys.GenerateKeyID(&cid);
    header.put_ContentID(cid);
    header.put_LicenseAcqURL(licenceUrl);
    keys.GenerateKey(&key);
    header.SetCheckSum(key);
    header.Sign(TestPrivateKey());
    header.get_Header(&text);
    protect.put_Header(text);
    protect.put_Key(key);
    protect.put_V1KeyID(kid);
    drm::Uninitialize();
    return protect.Protection().value_or(drm::ContentProtection{});
}

}  // namespace drm_test
