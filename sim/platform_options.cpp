#include "sim/platform_options.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace sim {

const char* const kUsage =
    "usage: castora-platform --port P --data DIR [--ftp-port N] [--ftp-passive-ports A-B]\n"
    "                        [--live-minute-ms MS] [--session-timeout-s S]\n"
    "                        [--delay-ms MS] [--drop] [--html-500] [--chunked] [--fault-operation NAME]\n"
    "  --port P             HTTP port on 127.0.0.1 for the service and the pages\n"
    "  --data DIR           data folder: state file and FTP storage (created when missing)\n"
    "  --ftp-port N         FTP storage port on 127.0.0.1 (default 2121, 0: no FTP storage)\n"
    "  --ftp-passive-ports  passive data ports of the FTP storage (default 60000-60499)\n"
    "  --live-minute-ms MS  length of one billed minute of live broadcasting (default 60000)\n"
    "  --session-timeout-s  idle time after which a session ends (default 1800)\n"
    "  --delay-ms MS        delay every service answer\n"
    "  --drop               close service connections without answering\n"
    "  --html-500           answer service requests with status 500 and an HTML page\n"
    "  --chunked            send service answers with chunked transfer coding\n"
    "  --fault-operation N  apply the faults above to operation N only\n";

namespace {

bool ParseNumber(std::string_view text, long long lo, long long hi, long long& out) {
  std::string s(text);
  errno = 0;
  char* end = nullptr;
  out = std::strtoll(s.c_str(), &end, 10);
  return !s.empty() && errno == 0 && *end == '\0' && out >= lo && out <= hi;
}

}  // namespace

bool ParseOptions(int argc, char** argv, PlatformOptions& o, std::string& error) {
  auto bad = [&](const std::string& why) {
    error = why + "\n" + kUsage + kUpdateFolderUsage;
    return false;
  };
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    auto value = [&](std::string_view& v) {
      if (i + 1 >= argc) return false;
      v = argv[++i];
      return true;
    };
    auto number = [&](long long lo, long long hi, long long& out) {
      std::string_view v;
      return value(v) && ParseNumber(v, lo, hi, out);
    };
    long long n = 0;
    std::string_view v;
    if (arg == "--help" || arg == "-h") {
      error = std::string(kUsage) + kUpdateFolderUsage;
      return false;
    } else if (arg == "--port") {
      if (!number(1, 65535, n)) return bad("--port needs a port number");
      o.port = static_cast<int>(n);
    } else if (arg == "--data") {
      if (!value(v) || v.empty()) return bad("--data needs a folder");
      o.dataDir = v;
    } else if (arg == "--ftp-port") {
      if (!number(0, 65535, n)) return bad("--ftp-port needs a port number");
      o.ftpPort = static_cast<int>(n);
    } else if (arg == "--ftp-passive-ports") {
      if (!value(v)) return bad("--ftp-passive-ports needs A-B");
      auto dash = v.find('-');
      long long a = 0, b = 0;
      if (dash == std::string_view::npos || !ParseNumber(v.substr(0, dash), 1024, 65535, a) ||
          !ParseNumber(v.substr(dash + 1), a, 65535, b))
        return bad("--ftp-passive-ports needs A-B with 1024 <= A <= B <= 65535");
      o.passiveFirst = static_cast<int>(a);
      o.passiveLast = static_cast<int>(b);
    } else if (arg == "--live-minute-ms") {
      if (!number(1, 3600000, n)) return bad("--live-minute-ms needs 1..3600000");
      o.liveMinuteMs = n;
    } else if (arg == "--session-timeout-s") {
      if (!number(1, 86400 * 30, n)) return bad("--session-timeout-s needs a number of seconds");
      o.sessionTimeoutS = n;
    } else if (arg == "--delay-ms") {
      if (!number(0, 600000, n)) return bad("--delay-ms needs 0..600000");
      o.faults.delayMs = static_cast<int>(n);
    } else if (arg == "--drop") {
      o.faults.drop = true;
    } else if (arg == "--html-500") {
      o.faults.html500 = true;
    } else if (arg == "--chunked") {
      o.faults.chunked = true;
    } else if (arg == "--fault-operation") {
      if (!value(v)) return bad("--fault-operation needs an operation name");
      o.faults.operation = v;
    } else if (int used = ParseUpdateFolderOption(argc, argv, i, o.update, error); used != 0) {
      if (used < 0) return bad(error);
      i += used - 1;
    } else {
      return bad("unknown option " + std::string(arg));
    }
  }
  if (o.port == 0) return bad("--port is required");
  if (o.dataDir.empty()) return bad("--data is required");
  return true;
}

}  // namespace sim
