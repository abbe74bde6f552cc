#pragma once
// The file version of an executable, kept as an ELF note of the executable itself (the
// stand-in for a version resource). The note's description holds two 32-bit words, as a
// fixed file-info block does: (major << 16 | minor) and (build << 16 | revision).

#include <cstdint>

namespace platform {

inline constexpr char kFileVersionNoteOwner[] = "FileVersion";
inline constexpr std::uint32_t kFileVersionNoteType = 1;

struct FileVersionWords {
    std::uint32_t mostSignificant = 0;
    std::uint32_t leastSignificant = 0;
};

}  // namespace platform
