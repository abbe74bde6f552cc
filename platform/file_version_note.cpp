// The note carrying the executable's file version; built into an executable by
// castora_file_version() in CMake, which supplies the four numbers.

#include "platform/file_version_note.h"

namespace {

struct FileVersionNote {
    std::uint32_t ownerSize;
    std::uint32_t descriptionSize;
    std::uint32_t type;
    char owner[sizeof platform::kFileVersionNoteOwner];  // 12 bytes: a multiple of 4, no padding
    platform::FileVersionWords words;
};
static_assert(sizeof platform::kFileVersionNoteOwner % 4 == 0);

constexpr std::uint32_t Pack(unsigned high, unsigned low) {
    return (static_cast<std::uint32_t>(high & 0xFFFF) << 16) | (low & 0xFFFF);
}

// A section named .note.* becomes an SHT_NOTE section, which the linker places in a
// PT_NOTE segment of the loaded program.
[[gnu::used, gnu::section(".note.castora.file-version"), gnu::aligned(4)]]
const FileVersionNote kNote = {
    sizeof platform::kFileVersionNoteOwner,
    sizeof(platform::FileVersionWords),
    platform::kFileVersionNoteType,
    {'F', 'i', 'l', 'e', 'V', 'e', 'r', 's', 'i', 'o', 'n', '\0'},
    {Pack(CASTORA_FILE_VERSION_MAJOR, CASTORA_FILE_VERSION_MINOR),
     Pack(CASTORA_FILE_VERSION_BUILD, CASTORA_FILE_VERSION_REVISION)},
};

}  // namespace
