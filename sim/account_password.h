#pragma once
// What the platform keeps of an account's password: a salted PBKDF2-HMAC-SHA256 hash of
// the digest the client sends ("pbkdf2-sha256$iterations$salt$hash", hexadecimal), never
// the digest itself.

#include <string>
#include <string_view>

namespace sim {

struct PlatformState;

inline constexpr int kPasswordHashIterations = 50000;

// A new hash of the digest (compared case-insensitively) under a fresh random salt.
std::string HashPasswordDigest(std::string_view digest);

// Whether the digest is the one `stored` was made from. A digest that matched once is
// remembered in memory (as a keyed hash under a key that lives only in this process),
// so signing in again does not pay for the slow hash.
bool PasswordDigestMatches(const std::string& stored, std::string_view digest);

// Replaces every account's plain digest by its hash. True when any was replaced.
bool ProtectPasswords(PlatformState& state);

}  // namespace sim
