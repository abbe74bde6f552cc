#pragma once
// Options of the platform's update folder (see update_folder.h).

#include <string>

namespace sim {

struct UpdateFolderOptions {
  std::string dir;  // empty: no update folder
  enum class Fault { None, DropHalf, Status206 } fault = Fault::None;
  long long bytesPerSecond = 0;  // 0: as fast as the connection goes
  std::string account;           // "user:password" the installer asks for; empty: none
};

// Takes one update-folder option at argv[i]: the number of arguments used, 0 when the
// option is not one of these, -1 (with `error` set) when its value is wrong.
int ParseUpdateFolderOption(int argc, char** argv, int i, UpdateFolderOptions& options, std::string& error);

extern const char* const kUpdateFolderUsage;

}  // namespace sim
