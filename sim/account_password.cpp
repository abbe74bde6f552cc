#include "sim/account_password.h"

#include "sim/platform_state.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace sim {
namespace {

constexpr const char* kScheme = "pbkdf2-sha256";
constexpr std::size_t kSaltBytes = 16;
constexpr std::size_t kHashBytes = 32;

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string Hex(const unsigned char* bytes, std::size_t size) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < size; ++i) {
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 15];
  }
  return out;
}

bool FromHex(const std::string& text, std::vector<unsigned char>& bytes) {
  if (text.size() % 2 != 0) return false;
  bytes.clear();
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const std::string pair = text.substr(i, 2);
    if (!std::isxdigit(static_cast<unsigned char>(pair[0])) || !std::isxdigit(static_cast<unsigned char>(pair[1])))
      return false;
    bytes.push_back(static_cast<unsigned char>(std::stoi(pair, nullptr, 16)));
  }
  return true;
}

std::vector<unsigned char> Pbkdf2(const std::string& digest, const std::vector<unsigned char>& salt, int iterations) {
  std::vector<unsigned char> out(kHashBytes);
  if (PKCS5_PBKDF2_HMAC(digest.data(), static_cast<int>(digest.size()), salt.data(), static_cast<int>(salt.size()),
                        iterations, EVP_sha256(), static_cast<int>(out.size()), out.data()) != 1) {
    throw std::runtime_error("PBKDF2 is not available");
  }
  return out;
}

struct StoredHash {
  int iterations = 0;
  std::vector<unsigned char> salt;
  std::vector<unsigned char> hash;
};

bool Split(const std::string& stored, StoredHash& parts) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t end; (end = stored.find('$', start)) != std::string::npos; start = end + 1)
    fields.push_back(stored.substr(start, end - start));
  fields.push_back(stored.substr(start));
  if (fields.size() != 4 || fields[0] != kScheme || fields[1].empty() || fields[1].size() > 7 ||
      !std::all_of(fields[1].begin(), fields[1].end(), [](unsigned char c) { return std::isdigit(c); }))
    return false;
  parts.iterations = std::stoi(fields[1]);
  return parts.iterations > 0 && FromHex(fields[2], parts.salt) && FromHex(fields[3], parts.hash) &&
         parts.hash.size() == kHashBytes;
}

// Digests that matched, as HMACs under a key made at start and never stored.
class MatchedDigests {
 public:
  MatchedDigests() {
    if (RAND_bytes(key_, sizeof key_) != 1) throw std::runtime_error("no random numbers");
  }

  // 1 when the digest is the remembered one, 0 when another is remembered, -1 when none is.
  int Check(const std::string& stored, const std::string& digest) {
    std::lock_guard lock(mutex_);
    auto found = known_.find(stored);
    if (found == known_.end()) return -1;
    const std::string mac = Mac(digest);
    return CRYPTO_memcmp(mac.data(), found->second.data(), mac.size()) == 0 ? 1 : 0;
  }

  void Remember(const std::string& stored, const std::string& digest) {
    std::lock_guard lock(mutex_);
    known_[stored] = Mac(digest);
  }

 private:
  std::string Mac(const std::string& digest) const {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    HMAC(EVP_sha256(), key_, sizeof key_, reinterpret_cast<const unsigned char*>(digest.data()), digest.size(), out,
         &length);
    return std::string(reinterpret_cast<const char*>(out), length);
  }

  unsigned char key_[32];
  std::mutex mutex_;
  std::map<std::string, std::string> known_;
};

MatchedDigests& Matched() {
  static MatchedDigests matched;
  return matched;
}

}  // namespace

std::string HashPasswordDigest(std::string_view digest) {
  std::vector<unsigned char> salt(kSaltBytes);
  if (RAND_bytes(salt.data(), static_cast<int>(salt.size())) != 1) throw std::runtime_error("no random numbers");
  const std::vector<unsigned char> hash = Pbkdf2(Lower(digest), salt, kPasswordHashIterations);
  return std::string(kScheme) + "$" + std::to_string(kPasswordHashIterations) + "$" + Hex(salt.data(), salt.size()) +
         "$" + Hex(hash.data(), hash.size());
}

bool PasswordDigestMatches(const std::string& stored, std::string_view digest) {
  const std::string lower = Lower(digest);
  const int known = Matched().Check(stored, lower);
  if (known >= 0) return known == 1;
  StoredHash parts;
  if (!Split(stored, parts)) return false;
  const std::vector<unsigned char> hash = Pbkdf2(lower, parts.salt, parts.iterations);
  if (CRYPTO_memcmp(hash.data(), parts.hash.data(), hash.size()) != 0) return false;
  Matched().Remember(stored, lower);
  return true;
}

bool ProtectPasswords(PlatformState& state) {
  bool changed = false;
  for (Account& account : state.accounts) {
    if (account.passwordDigest.empty()) continue;
    account.passwordHash = HashPasswordDigest(account.passwordDigest);
    account.passwordDigest.clear();
    changed = true;
  }
  return changed;
}

}  // namespace sim
