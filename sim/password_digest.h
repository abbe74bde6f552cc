#pragma once

#include <string>
#include <string_view>

namespace sim {

// The digest the client sends as `passWord`: MD5 of the password's GBK bytes as 32
// lower-case hexadecimal digits. Characters GBK cannot hold are hashed as '?'.
std::string PasswordDigest(std::string_view utf8Password);

}  // namespace sim
