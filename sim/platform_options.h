#pragma once
// The command line of castora-platform.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/update_folder_options.h"

namespace sim {

// Faults the platform can inject into its service answers, for tests of callers.
struct FaultOptions {
  int delayMs = 0;         // wait this long before answering
  bool drop = false;       // close the connection without answering
  bool html500 = false;    // answer status 500 with an HTML page instead of a fault
  bool chunked = false;    // send the answer with chunked transfer coding
  std::string operation;   // limit the faults to this operation; empty: every request
  bool withholdLiveDrm = false;  // hand out publishing points without the live DRM material
};

// The media servers that take pushes and serve live points.
struct MediaOptions {
  bool enabled = true;
  std::vector<int> ports;           // per media server of the state, in order; empty: the state's ports
  std::string pushAuth = "both";    // schemes the push account check offers: basic, digest or both
  int pushIdleTimeoutS = 60;
  int pushInactivityTimeoutS = 120;
  int maxViewers = 1000;            // per publishing point
  double dropPushAfterS = 0;        // a fault: cut every push this long after it started
  int dropPushCount = -1;           // cut only this many pushes; -1 every one
};

struct PlatformOptions {
  int port = 0;
  std::string dataDir;
  int ftpPort = 2121;  // 0 runs without FTP storage
  int passiveFirst = 60000;
  int passiveLast = 60499;
  int ftpReadLimit = 0;  // bytes per second the storage takes from each upload; 0: no limit
  std::int64_t liveMinuteMs = 60000;
  std::int64_t sessionTimeoutS = 1800;
  FaultOptions faults;
  UpdateFolderOptions update;
  MediaOptions media;
};

// Returns false with `error` set (a usage text for --help).
bool ParseOptions(int argc, char** argv, PlatformOptions& options, std::string& error);

extern const char* const kUsage;

}  // namespace sim
