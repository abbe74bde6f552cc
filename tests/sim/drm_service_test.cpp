// The platform's rights material and licences: per-company seeds and signing keys,
// live material issued from its own root, and licences only for the company that
// registered a key id.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <filesystem>

#include "drm/certificates.h"
#include "drm/content_key.h"
#include "drm/licence_answer.h"
#include "drm/signing_key.h"
#include "platform_process.h"

using simtest::PlatformProcess;
using simtest::SoapReply;

namespace {

struct Licence {
  int status = 0;
  std::string body;
};

Licence FetchLicence(PlatformProcess& p, const std::string& sid, const std::string& kid) {
  httplib::Client client("127.0.0.1", p.port());
  httplib::Headers headers;
  if (!sid.empty()) headers.emplace("Cookie", "JSESSIONID=" + sid);
  auto res = client.Get("/drm/license", httplib::Params{{"kid", kid}}, headers);
  return res ? Licence{res->status, res->body} : Licence{};
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

SoapReply Upload(PlatformProcess& p, const std::string& sid, const std::string& kid) {
  return p.Call("uploadVideo",
                "<video><isUpload>0</isUpload><kid>" + kid +
                    "</kid><onlyAudio>0</onlyAudio><uploadFolder></uploadFolder>"
                    "<uploadName>20261207120000123.wmv</uploadName><videoName>a.wmv</videoName>"
                    "<videoSize>1000</videoSize></video>",
                sid);
}

QByteArray ExpectedKey(const std::string& seed, const std::string& kid) {
  QByteArray raw, key;
  EXPECT_TRUE(drm::DecodeKeyId(Q(kid), &raw));
  EXPECT_TRUE(drm::DeriveContentKey(Q(seed), raw, &key));
  return key;
}

TEST(DrmService, EachCompanyHasItsOwnMaterialKeptAcrossRestarts) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  const std::string demo = p.Login("demo", "demo123");
  const std::string solo = p.Login("solo", "solo123");
  SoapReply a = p.Call("getCompany", "", demo);
  SoapReply b = p.Call("getCompany", "", solo);
  EXPECT_TRUE(drm::ValidSeed(Q(a.Field("drmSeed"))));
  EXPECT_NE(a.Field("drmSeed"), b.Field("drmSeed"));
  EXPECT_TRUE(drm::SigningKey::FromPem(Q(a.Field("drmPrivateKey"))));
  EXPECT_NE(a.Field("drmPrivateKey"), b.Field("drmPrivateKey"));
  EXPECT_EQ(a.Field("drmUrl"), "http://127.0.0.1:" + std::to_string(p.port()) + "/drm/license");

  const std::filesystem::path authority = std::filesystem::path(p.dataDir()) / "drm-authority.pem";
  ASSERT_TRUE(std::filesystem::exists(authority));
  EXPECT_EQ(std::filesystem::status(authority).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  const std::string root = p.Call("GetSelMediaServerList",
                                  "<id>1</id><type>0</type><profile>p</profile><videoDevice/><audioDevice/><isDrm>1</isDrm>",
                                  demo).Field("rootCert");

  p.Stop();
  ASSERT_TRUE(p.Start());
  const std::string again = p.Login("demo", "demo123");
  SoapReply c = p.Call("getCompany", "", again);
  EXPECT_EQ(c.Field("drmSeed"), a.Field("drmSeed"));
  EXPECT_EQ(c.Field("drmPrivateKey"), a.Field("drmPrivateKey"));
  EXPECT_EQ(p.Call("GetSelMediaServerList",
                   "<id>2</id><type>0</type><profile>p</profile><videoDevice/><audioDevice/><isDrm>1</isDrm>", again)
                .Field("rootCert"),
            root);
}

TEST(DrmService, LiveMaterialChainsToTheRoot) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  const std::string sid = p.Login("demo", "demo123");
  SoapReply first = p.Call("GetSelMediaServerList",
                           "<id>1</id><type>0</type><profile>p</profile><videoDevice/><audioDevice/><isDrm>1</isDrm>", sid);
  SoapReply second = p.Call("GetSelMediaServerList",
                            "<id>1</id><type>0</type><profile>p</profile><videoDevice/><audioDevice/><isDrm>1</isDrm>", sid);
  const auto key = drm::SigningKey::FromPem(Q(first.Field("privateKey")));
  ASSERT_TRUE(key);
  const QString root = Q(first.Field("rootCert"));
  EXPECT_TRUE(drm::CertificateIssuedBy(root, root));
  EXPECT_TRUE(drm::CertificateIssuedBy(Q(first.Field("signedPublicKey")), root));
  EXPECT_TRUE(drm::CertificateHoldsKey(Q(first.Field("signedPublicKey")), *key));
  EXPECT_TRUE(drm::CertificateIssuedBy(Q(first.Field("licSrvCert")), root));
  EXPECT_EQ(Q(first.Field("publicKey")).toLatin1(), key->PublicKeyDer().toBase64());
  EXPECT_EQ(first.Field("loginUrl"), "http://127.0.0.1:" + std::to_string(p.port()) + "/drm/license");
  // Every broadcast gets its own key; the root stays.
  EXPECT_NE(second.Field("privateKey"), first.Field("privateKey"));
  EXPECT_EQ(second.Field("rootCert"), first.Field("rootCert"));
  EXPECT_FALSE(drm::CertificateHoldsKey(Q(second.Field("signedPublicKey")), *key));
}

TEST(DrmService, LicencesGoOnlyToTheCompanyThatRegisteredTheKeyId) {
  PlatformProcess p;
  ASSERT_TRUE(p.Start());
  const std::string demo = p.Login("demo", "demo123");
  const std::string solo = p.Login("solo", "solo123");
  const std::string seed = p.Call("getCompany", "", demo).Field("drmSeed");

  // A protected file registered by uploadVideo.
  const std::string fileKid = drm::NewKeyId().toStdString();
  ASSERT_EQ(Upload(p, demo, fileKid).ReturnText(), "true");
  Licence ok = FetchLicence(p, demo, fileKid);
  ASSERT_EQ(ok.status, 200) << ok.body;
  QByteArray key;
  ASSERT_TRUE(drm::ReadLicence(QByteArray::fromStdString(ok.body), Q(fileKid), &key));
  EXPECT_EQ(key, ExpectedKey(seed, fileKid));

  // A protected broadcast registered by startLive with the encoder's seed.
  const std::string liveKid = drm::NewKeyId().toStdString();
  const std::string liveSeed = drm::NewSeed().toStdString();
  SoapReply sel = p.Call("GetSelMediaServerList",
                         "<id>1</id><type>0</type><profile>p</profile><videoDevice/><audioDevice/><isDrm>1</isDrm>", demo);
  ASSERT_EQ(p.Call("startLive", "<liveId>" + sel.Field("liveId") + "</liveId><publicKey>" + sel.Field("publicKey") +
                                    "</publicKey><seed>" + liveSeed + "</seed><kid>" + liveKid +
                                    "</kid><isDrm>1</isDrm><playUrl>mms://127.0.0.1:9100</playUrl><userIp>127.0.0.1</userIp>",
                   demo)
                .ReturnText(),
            "true");
  Licence live = FetchLicence(p, demo, liveKid);
  ASSERT_EQ(live.status, 200) << live.body;
  ASSERT_TRUE(drm::ReadLicence(QByteArray::fromStdString(live.body), Q(liveKid), &key));
  EXPECT_EQ(key, ExpectedKey(liveSeed, liveKid));

  // Another company, an unknown key id, no session, not a key id.
  Licence other = FetchLicence(p, solo, fileKid);
  EXPECT_EQ(other.status, 403);
  EXPECT_EQ(other.body.find("key="), std::string::npos);
  EXPECT_EQ(FetchLicence(p, solo, liveKid).status, 403);
  Licence unknown = FetchLicence(p, demo, drm::NewKeyId().toStdString());
  EXPECT_EQ(unknown.status, 403);
  EXPECT_EQ(unknown.body, other.body) << "an unknown key id and another company's look the same";
  EXPECT_EQ(FetchLicence(p, "", fileKid).status, 401);
  EXPECT_EQ(FetchLicence(p, "0123456789ABCDEF0123456789ABCDEF", fileKid).status, 401);
  EXPECT_EQ(FetchLicence(p, demo, "../../etc/passwd").status, 400);
}

}  // namespace
