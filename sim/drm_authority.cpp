#include "sim/drm_authority.h"

#include <QFile>
#include <QSaveFile>
#include <QString>

#include <filesystem>

#include "drm/certificates.h"
#include "drm/signing_key.h"

namespace sim {
namespace {

constexpr const char* kAuthorityFile = "drm-authority.pem";
constexpr int kRootDays = 3650;
constexpr int kIssuedDays = 365;
const QString kCertificateEnd = QStringLiteral("-----END CERTIFICATE-----\n");

// The file holds the root key, then the root certificate, then the licence server's.
bool Split(const QString& text, QString* key, QString* root, QString* licence) {
  const qsizetype keyEnd = text.indexOf("-----BEGIN CERTIFICATE-----");
  const qsizetype rootEnd = text.indexOf(kCertificateEnd);
  if (keyEnd <= 0 || rootEnd < keyEnd) return false;
  *key = text.left(keyEnd);
  *root = text.mid(keyEnd, rootEnd + kCertificateEnd.size() - keyEnd);
  *licence = text.mid(rootEnd + kCertificateEnd.size());
  return true;
}

bool Valid(const QString& key, const QString& root, const QString& licence) {
  const auto rootKey = drm::SigningKey::FromPem(key);
  return rootKey && drm::CertificateHoldsKey(root, *rootKey) && drm::CertificateIssuedBy(root, root) &&
         drm::CertificateIssuedBy(licence, root);
}

}  // namespace

bool DrmAuthority::Open(const std::string& dataDir, std::string& error) {
  const QString path = QString::fromStdString((std::filesystem::path(dataDir) / kAuthorityFile).string());
  QFile existing(path);
  if (existing.exists()) {
    QString key, root, licence;
    if (!existing.open(QIODevice::ReadOnly) || !Split(QString::fromLatin1(existing.readAll()), &key, &root, &licence) ||
        !Valid(key, root, licence)) {
      error = path.toStdString() + " is not a usable rights authority (remove it to make a new one)";
      return false;
    }
    rootKey_ = key.toStdString();
    rootCert_ = root.toStdString();
    licenceCert_ = licence.toStdString();
    return true;
  }
  const auto rootKey = drm::SigningKey::Generate();
  const auto licenceKey = drm::SigningKey::Generate();
  if (!rootKey || !licenceKey) {
    error = "cannot make the rights authority's keys";
    return false;
  }
  const QString root = drm::IssueCertificate(rootKey->PublicKeyDer(), "castora-platform DRM root", *rootKey, {},
                                             kRootDays, true);
  const QString licence = drm::IssueCertificate(licenceKey->PublicKeyDer(), "castora-platform licence server",
                                                *rootKey, root, kRootDays, false);
  QSaveFile file(path);
  if (root.isEmpty() || licence.isEmpty() || !file.open(QIODevice::WriteOnly) ||
      !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
    error = "cannot write " + path.toStdString();
    return false;
  }
  file.write((rootKey->PrivatePem() + root + licence).toLatin1());
  if (!file.commit()) {
    error = "cannot write " + path.toStdString();
    return false;
  }
  rootKey_ = rootKey->PrivatePem().toStdString();
  rootCert_ = root.toStdString();
  licenceCert_ = licence.toStdString();
  return true;
}

std::optional<LiveDrmMaterial> DrmAuthority::IssueLiveMaterial() const {
  const auto rootKey = drm::SigningKey::FromPem(QString::fromStdString(rootKey_));
  const auto key = drm::SigningKey::Generate();
  if (!rootKey || !key) return std::nullopt;
  const QString certificate = drm::IssueCertificate(key->PublicKeyDer(), "castora-platform live broadcast", *rootKey,
                                                    QString::fromStdString(rootCert_), kIssuedDays, false);
  if (certificate.isEmpty()) return std::nullopt;
  LiveDrmMaterial material;
  material.privateKey = key->PrivatePem().toStdString();
  material.publicKey = key->PublicKeyDer().toBase64().toStdString();
  material.signedPublicKey = certificate.toStdString();
  material.licSrvCert = licenceCert_;
  material.rootCert = rootCert_;
  return material;
}

}  // namespace sim
