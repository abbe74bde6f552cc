#include "sim/push_authenticator.h"

#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

#include <chrono>

#include "wavetap/stream/http_auth.h"
#include "wavetap/stream/http_request.h"

namespace sim {
namespace {

constexpr long long kNonceLifetimeS = 600;

long long NowSeconds() {
  using namespace std::chrono;
  return duration_cast<seconds>(steady_clock::now().time_since_epoch()).count();
}

bool Lists(const std::string& field, const char* scheme) {
  std::string lower = field;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find(scheme) != std::string::npos;
}

}  // namespace

PushAuthenticator::PushAuthenticator(std::string realm, std::string user, std::string password,
                                     PushAuthSchemes offered)
    : realm_(std::move(realm)), user_(std::move(user)), password_(std::move(password)), offered_(offered) {
  nonceKey_.resize(32);
  QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(nonceKey_.data()), 8);
}

std::string PushAuthenticator::NewNonce() const {
  const QByteArray stamp = QByteArray::number(NowSeconds(), 16);
  return (stamp + "-" + QMessageAuthenticationCode::hash(stamp, nonceKey_, QCryptographicHash::Sha256).toHex().left(32))
      .toStdString();
}

bool PushAuthenticator::NonceIsOurs(const std::string& nonce) const {
  const auto dash = nonce.find('-');
  if (dash == std::string::npos) return false;
  const QByteArray stamp = QByteArray::fromStdString(nonce.substr(0, dash));
  bool ok = false;
  const long long issued = stamp.toLongLong(&ok, 16);
  const long long age = NowSeconds() - issued;
  return ok && age >= 0 && age <= kNonceLifetimeS &&
         QByteArray::fromStdString(nonce) ==
             stamp + "-" + QMessageAuthenticationCode::hash(stamp, nonceKey_, QCryptographicHash::Sha256).toHex().left(32);
}

bool PushAuthenticator::Accepts(const wavetap::HttpRequest& request) const {
  const auto field = request.Header("Authorization");
  if (!field) return false;
  const auto authorization = wavetap::http::ParseAuthorization(*field);
  if (!authorization) return false;
  if (authorization->scheme == wavetap::http::AuthScheme::Basic)
    return offered_ != PushAuthSchemes::Digest && wavetap::http::BasicMatches(*authorization, user_, password_);
  if (authorization->scheme == wavetap::http::AuthScheme::Digest)
    return offered_ != PushAuthSchemes::Basic && NonceIsOurs(authorization->Param("nonce")) &&
           wavetap::http::DigestMatches(*authorization, request.Method(), request.Target(), realm_, user_, password_);
  return false;
}

std::string PushAuthenticator::ChallengeFields(const wavetap::HttpRequest& request) const {
  bool digest = offered_ != PushAuthSchemes::Basic;
  bool basic = offered_ != PushAuthSchemes::Digest;
  if (const auto accepted = request.Header("X-Accept-Authentication")) {
    const bool listsDigest = digest && Lists(*accepted, "digest");
    const bool listsBasic = basic && Lists(*accepted, "basic");
    if (listsDigest || listsBasic) {
      digest = listsDigest;
      basic = listsBasic;
    }
  }
  std::string fields;
  if (digest)
    fields += "WWW-Authenticate: Digest realm=\"" + realm_ + "\", nonce=\"" + NewNonce() +
              "\", qop=\"auth\", algorithm=MD5\r\n";
  if (basic) fields += "WWW-Authenticate: Basic realm=\"" + realm_ + "\"\r\n";
  return fields;
}

}  // namespace sim
