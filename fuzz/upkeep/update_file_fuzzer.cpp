// The updater's readers of untrusted bytes: the first bytes of "update.txt" as a version
// and its compare, and a block of ELF notes searched for the file version.

#include "upkeep/local_version.h"
#include "upkeep/version_compare.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString published = upkeep::PublishedVersionText(bytes.left(4096));
    upkeep::ComparePublishedVersion(QStringLiteral("2.0.1.5"), published);
    upkeep::ComparePublishedVersion(published, published);
    platform::FileVersionWords words;
    for (std::size_t alignment : {4u, 8u}) upkeep::FindFileVersionNote(data, size, alignment, &words);
    return 0;
}
