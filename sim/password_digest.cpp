#include "sim/password_digest.h"

#include <iconv.h>
#include <cerrno>
#include <openssl/evp.h>

#include <memory>
#include <stdexcept>

namespace sim {
namespace {

std::string Utf8ToGbk(std::string_view text) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv has no GBK");
  std::string out;
  std::string in(text);
  char* inPtr = in.data();
  size_t inLeft = in.size();
  char buf[256];
  while (inLeft > 0) {
    char* outPtr = buf;
    size_t outLeft = sizeof buf;
    size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(buf, static_cast<size_t>(outPtr - buf));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      // Skip one undecodable or unmappable UTF-8 sequence and stand in '?'.
      out += '?';
      ++inPtr;
      --inLeft;
      while (inLeft > 0 && (static_cast<unsigned char>(*inPtr) & 0xC0) == 0x80) {
        ++inPtr;
        --inLeft;
      }
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string PasswordDigest(std::string_view utf8Password) {
  std::string bytes = Utf8ToGbk(utf8Password);
  unsigned char md[EVP_MAX_MD_SIZE];
  unsigned int len = 0;
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  if (!ctx || !EVP_DigestInit_ex(ctx.get(), EVP_md5(), nullptr) ||
      !EVP_DigestUpdate(ctx.get(), bytes.data(), bytes.size()) ||
      !EVP_DigestFinal_ex(ctx.get(), md, &len)) {
    throw std::runtime_error("MD5 is not available");
  }
  static const char* hex = "0123456789abcdef";
  std::string out;
  for (unsigned int i = 0; i < len; ++i) {
    out += hex[md[i] >> 4];
    out += hex[md[i] & 15];
  }
  return out;
}

}  // namespace sim
