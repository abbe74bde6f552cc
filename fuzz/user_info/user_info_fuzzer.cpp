// Feeds arbitrary bytes to the user.dat reader; whatever it accepts must write back to
// bytes that read as the same record.

#include "client/shell/user_info.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto info = CUserInfo::Parse(bytes);
    if (!info) return 0;
    const auto again = CUserInfo::Parse(info->Serialize());
    if (!again || again->userName != info->userName || again->passwordDigest != info->passwordDigest) __builtin_trap();
    return 0;
}
