#include "sim/update_folder_options.h"

#include <cstdlib>
#include <filesystem>

namespace sim {

const char* const kUpdateFolderUsage =
    "  --update-dir DIR     publish DIR (update.txt and the installer) at /update/\n"
    "  --update-fault F     installer downloads fail: drop-half (close halfway) or status-206\n"
    "                       (answer 206 Partial Content with the whole file)\n"
    "  --update-kbps N      send update-folder files at N KiB/s at most\n"
    "  --update-auth U:P    installer downloads need this account (HTTP Basic)\n";

namespace {

bool ParseFault(const std::string& text, UpdateFolderOptions::Fault& fault) {
  if (text == "drop-half") fault = UpdateFolderOptions::Fault::DropHalf;
  else if (text == "status-206") fault = UpdateFolderOptions::Fault::Status206;
  else return false;
  return true;
}

}  // namespace

int ParseUpdateFolderOption(int argc, char** argv, int i, UpdateFolderOptions& options, std::string& error) {
  const std::string arg = argv[i];
  if (arg != "--update-dir" && arg != "--update-fault" && arg != "--update-kbps" && arg != "--update-auth") return 0;
  if (i + 1 >= argc) {
    error = arg + " needs a value";
    return -1;
  }
  const std::string value = argv[i + 1];
  if (arg == "--update-dir") {
    if (value.empty() || !std::filesystem::is_directory(value)) {
      error = "--update-dir needs an existing folder";
      return -1;
    }
    options.dir = value;
  } else if (arg == "--update-fault") {
    if (!ParseFault(value, options.fault)) {
      error = "--update-fault needs drop-half or status-206";
      return -1;
    }
  } else if (arg == "--update-kbps") {
    char* end = nullptr;
    const long long kbps = std::strtoll(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || kbps < 1 || kbps > 10000000) {
      error = "--update-kbps needs 1..10000000";
      return -1;
    }
    options.bytesPerSecond = kbps * 1024;
  } else {
    if (value.find(':') == std::string::npos) {
      error = "--update-auth needs USER:PASSWORD";
      return -1;
    }
    options.account = value;
  }
  return 2;
}

}  // namespace sim
