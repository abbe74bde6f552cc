#pragma once
// The file version of the running program (the executable of this process, not the library).

#include "platform/file_version_note.h"

#include <QString>

#include <cstddef>

namespace upkeep {

// Finds the file-version note in a block of ELF notes laid out with `alignment` (4 or 8).
// False when the block holds none or is malformed.
bool FindFileVersionNote(const unsigned char* notes, std::size_t size, std::size_t alignment,
                         platform::FileVersionWords* words);

// "%d.%d.%d.%d" of the four 16-bit parts when the least significant word is not zero,
// otherwise "%d.%d" of the two most significant parts.
QString VersionText(const platform::FileVersionWords& words);

// The running program's version text; empty when the program carries no version.
QString LocalVersion();

}  // namespace upkeep
