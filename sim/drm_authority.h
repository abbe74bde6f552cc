#pragma once
// The platform's rights authority: its root certificate and the licence server's
// certificate, made at the first start and kept in the data folder (mode 0600), and
// the live rights material it issues for each protected broadcast.

#include <optional>
#include <string>

namespace sim {

// What GetSelMediaServerList hands a broadcast that asked for DRM.
struct LiveDrmMaterial {
  std::string privateKey;       // a new signing key (PEM)
  std::string publicKey;        // its public half (base64 DER)
  std::string signedPublicKey;  // its certificate from the root (PEM)
  std::string licSrvCert;       // the licence server's certificate (PEM)
  std::string rootCert;         // the root certificate (PEM)
};

class DrmAuthority {
 public:
  // Loads the authority from `dataDir`, or makes it there. False with `error` set.
  bool Open(const std::string& dataDir, std::string& error);
  // Nothing when the key or certificate cannot be made.
  std::optional<LiveDrmMaterial> IssueLiveMaterial() const;

  const std::string& RootCertificate() const { return rootCert_; }
  const std::string& LicenceServerCertificate() const { return licenceCert_; }

 private:
  std::string rootKey_;
  std::string rootCert_;
  std::string licenceCert_;
};

}  // namespace sim
