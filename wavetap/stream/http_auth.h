// HTTP access authentication as a push uses it (RFC 2617): Basic and Digest (MD5, with
// or without qop=auth). The client side reads a server's challenges and writes the
// Authorization value; the server side reads that value and checks it. User names and
// passwords are UTF-8.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wavetap::http {

enum class AuthScheme { Basic, Digest, Other };

// One challenge of a WWW-Authenticate header, or the value of an Authorization header.
struct AuthParams {
    AuthScheme scheme = AuthScheme::Other;
    std::string schemeName;
    std::string token68;                        // "Basic dXNlcjpwYXNz": the part after the scheme
    std::map<std::string, std::string> params;  // names lower-cased, quotes removed
    std::string Param(const std::string& name) const;
};

// The challenges of WWW-Authenticate values, in order; one value may hold several.
std::vector<AuthParams> ParseChallenges(const std::vector<std::string>& values);
// An Authorization value; nullopt when it is not of the form "scheme params".
std::optional<AuthParams> ParseAuthorization(std::string_view value);

std::string BasicAuthorization(const std::string& user, const std::string& password);

// Answers one Digest challenge; every Authorization it writes counts up the nonce count.
class DigestAnswer {
public:
    DigestAnswer(AuthParams challenge, std::string user, std::string password);
    std::string Authorization(const std::string& method, const std::string& uri);

private:
    AuthParams challenge_;
    std::string user_;
    std::string password_;
    std::uint32_t nonceCount_ = 0;
};

// The Digest "response" value for the given parts (qop empty: the RFC 2069 form).
std::string DigestResponse(const std::string& user, const std::string& realm, const std::string& password,
                           const std::string& method, const std::string& uri, const std::string& nonce,
                           const std::string& nonceCount, const std::string& cnonce, const std::string& qop);

// Server side: whether the Authorization value carries these credentials.
bool BasicMatches(const AuthParams& authorization, const std::string& user, const std::string& password);
// Digest: the realm, the method and the request's target must match as well; the nonce
// is the caller's to check (it knows which nonces it handed out).
bool DigestMatches(const AuthParams& authorization, const std::string& method, const std::string& target,
                   const std::string& realm, const std::string& user, const std::string& password);

}  // namespace wavetap::http
