#include "upkeep/local_version.h"

#include <elf.h>
#include <link.h>

#include <cstring>

namespace upkeep {
namespace {

std::size_t Padded(std::size_t size, std::size_t alignment) {
    return (size + alignment - 1) / alignment * alignment;
}

struct NoteSearch {
    platform::FileVersionWords words;
    bool found = false;
};

// dl_iterate_phdr reports the main program first; only its notes count.
int SearchMainProgram(dl_phdr_info* info, size_t, void* data) {
    auto* search = static_cast<NoteSearch*>(data);
    for (int i = 0; i < info->dlpi_phnum && !search->found; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_NOTE) continue;
        const auto* notes = reinterpret_cast<const unsigned char*>(info->dlpi_addr + header.p_vaddr);
        const std::size_t alignment = header.p_align == 8 ? 8 : 4;
        search->found = FindFileVersionNote(notes, header.p_memsz, alignment, &search->words);
    }
    return 1;  // stop after the main program
}

}  // namespace

bool FindFileVersionNote(const unsigned char* notes, std::size_t size, std::size_t alignment,
                         platform::FileVersionWords* words) {
    constexpr std::size_t kHeader = 3 * sizeof(std::uint32_t);
    std::size_t offset = 0;
    while (offset <= size && size - offset >= kHeader) {
        std::uint32_t ownerSize = 0, descriptionSize = 0, type = 0;
        std::memcpy(&ownerSize, notes + offset, 4);
        std::memcpy(&descriptionSize, notes + offset + 4, 4);
        std::memcpy(&type, notes + offset + 8, 4);
        const std::size_t ownerAt = offset + kHeader;
        if (ownerSize > size - ownerAt) return false;
        const std::size_t descriptionAt = Padded(ownerAt + ownerSize, alignment);
        if (descriptionAt > size || descriptionSize > size - descriptionAt) return false;
        if (type == platform::kFileVersionNoteType && ownerSize == sizeof platform::kFileVersionNoteOwner &&
            std::memcmp(notes + ownerAt, platform::kFileVersionNoteOwner, ownerSize) == 0 &&
            descriptionSize == sizeof(platform::FileVersionWords)) {
            std::memcpy(&words->mostSignificant, notes + descriptionAt, 4);
            std::memcpy(&words->leastSignificant, notes + descriptionAt + 4, 4);
            return true;
        }
        const std::size_t next = Padded(descriptionAt + descriptionSize, alignment);
        if (next <= offset) return false;
        offset = next;
    }
    return false;
}

QString VersionText(const platform::FileVersionWords& words) {
    const unsigned major = words.mostSignificant >> 16, minor = words.mostSignificant & 0xFFFF;
    if (words.leastSignificant == 0) return QString::asprintf("%u.%u", major, minor);
    return QString::asprintf("%u.%u.%u.%u", major, minor, words.leastSignificant >> 16,
                             words.leastSignificant & 0xFFFF);
}

QString LocalVersion() {
    NoteSearch search;
    dl_iterate_phdr(SearchMainProgram, &search);
    return search.found ? VersionText(search.words) : QString();
}

}  // namespace upkeep
