// CreateDRMProfile: a DRM profile made with an encoder's DRM content author from the
// provider's material, marked with the system's names and attributes and exported
// under a password.

#include "vekencoder/vekencoder.h"

#include "engine/encoder.h"

#include <QVariant>

#include <memory>

using namespace wavetap::engine;

bool CreateDRMProfile(QString exportPath, QString password, QString providerUrl, QString licenseUrl,
                      QString privateKey, QString signedPublicKey, QString licenseServerCert, QString rootCert,
                      QString& publicKey, QString& profileId, QString& seed) {
    const auto encoder = std::make_unique<Encoder>();
    drm::DrmContentAuthor& author = encoder->DRMContentAuthor();
    drm::DrmProfileCollection& profiles = author.DRMProfileCollection();
    [[maybe_unused]] const int count = profiles.Count();

    QVariant newId, secondValue;
    QString result;
    if (drm::Failed(author.CreateDRMProfile(providerUrl, privateKey, signedPublicKey, licenseServerCert, rootCert,
                                            &newId, &secondValue, &result)))
        return false;
    publicKey = result;
    profileId = newId.toString();
    seed = secondValue.toString();

    // Index 0 of the collection: a new profile stands first there.
    const std::shared_ptr<drm::DrmProfile> profile = profiles.Item(std::int32_t{0});
    if (!profile) return false;
    profile->name = "Castora";
    profile->licenceUrl = licenseUrl;
    profile->description = "Live";
    profile->v1LicenceUrl = licenseUrl;
    profile->attributes.append(qMakePair(QStringLiteral("SECURITYVERSION"), QStringLiteral("2.8")));
    author.DRMAttributes().append(qMakePair(QStringLiteral("ContentID"), QStringLiteral("10011")));
    return !drm::Failed(author.ExportDRMProfile(profile->id, password, exportPath));
}
