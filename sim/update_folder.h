#pragma once
// The platform's update folder: "update.txt" and the installer, published for the
// program's UPDATEURL at http://HOST:PORT/update/.

#include <httplib.h>

#include "sim/update_folder_options.h"

namespace sim {

inline constexpr const char* kUpdatePath = "/update/";

// Serves the files of the folder (plain names only) under kUpdatePath.
void InstallUpdateFolder(httplib::Server& server, const UpdateFolderOptions& options);

}  // namespace sim
