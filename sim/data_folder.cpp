#include "sim/data_folder.h"

#include <sys/stat.h>

namespace sim {

bool SecureDataFolder(const std::filesystem::path& data, std::string& error) {
  namespace fs = std::filesystem;
  ::umask(077);
  std::error_code ec;
  const fs::path storage = data / "storage";
  fs::create_directories(storage, ec);
  if (ec) {
    error = "cannot create " + storage.string() + ": " + ec.message();
    return false;
  }
  const auto ownerOnly = [&](const fs::path& path, bool folder) {
    fs::permissions(path, folder ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write,
                    fs::perm_options::replace, ec);
    if (ec) error = "cannot restrict " + path.string() + ": " + ec.message();
    return !ec;
  };
  if (!ownerOnly(data, true)) return false;
  for (auto it = fs::recursive_directory_iterator(data, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    const fs::file_status status = it->symlink_status(ec);
    if (ec) break;
    if (fs::is_directory(status)) {
      if (!ownerOnly(it->path(), true)) return false;
    } else if (fs::is_regular_file(status)) {
      if (!ownerOnly(it->path(), false)) return false;
    }
  }
  if (ec) {
    error = "cannot read " + data.string() + ": " + ec.message();
    return false;
  }
  return true;
}

}  // namespace sim
