#pragma once
// The platform's data folder holds passwords, keys and account hashes: it is kept to its
// owner (folders 0700, files 0600), and so is everything the platform and its children
// create there later.

#include <filesystem>
#include <string>

namespace sim {

// Sets the process's file mode mask to owner-only, creates `data` and `data`/storage,
// and takes group and other permissions off everything already in `data`.
bool SecureDataFolder(const std::filesystem::path& data, std::string& error);

}  // namespace sim
