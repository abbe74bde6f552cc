#pragma once
// The push account check of a media server: Basic and Digest access authentication
// (RFC 2617) against the server's push user and password, with Digest nonces that
// the server can recognise as its own for a while without keeping them.

#include <QByteArray>

#include <string>

namespace wavetap {
class HttpRequest;
}

namespace sim {

enum class PushAuthSchemes { Both, Basic, Digest };

class PushAuthenticator {
 public:
  PushAuthenticator(std::string realm, std::string user, std::string password, PushAuthSchemes offered);

  // Whether the request's Authorization field carries the push account.
  bool Accepts(const wavetap::HttpRequest& request) const;
  // The WWW-Authenticate fields of a 401 answer: the offered schemes the request's
  // X-Accept-Authentication lists (all offered ones when it lists none of them).
  std::string ChallengeFields(const wavetap::HttpRequest& request) const;

 private:
  std::string NewNonce() const;
  bool NonceIsOurs(const std::string& nonce) const;

  std::string realm_;
  std::string user_;
  std::string password_;
  PushAuthSchemes offered_;
  QByteArray nonceKey_;
};

}  // namespace sim
