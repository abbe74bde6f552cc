#include "sim/platform_options.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace sim {

const char* const kUsage =
    "usage: castora-platform --port P --data DIR [--ftp-port N] [--ftp-passive-ports A-B] [--ftp-read-limit B]\n"
    "                        [--live-minute-ms MS] [--session-timeout-s S]\n"
    "                        [--delay-ms MS] [--drop] [--html-500] [--chunked] [--fault-operation NAME]\n"
    "                        [--withhold-live-drm]\n"
    "                        [--media-ports P1,P2|off] [--push-auth basic|digest|both] [--max-viewers N]\n"
    "                        [--push-idle-timeout-s S] [--push-inactivity-timeout-s S]\n"
    "                        [--drop-push-after S] [--drop-push-count N]\n"
    "  --port P             HTTP port on 127.0.0.1 for the service and the pages\n"
    "  --data DIR           data folder: state file and FTP storage (created when missing)\n"
    "  --ftp-port N         FTP storage port on 127.0.0.1 (default 2121, 0: no FTP storage)\n"
    "  --ftp-passive-ports  passive data ports of the FTP storage (default 60000-60499)\n"
    "  --ftp-read-limit B   bytes per second the FTP storage takes from each upload (default: no limit)\n"
    "  --live-minute-ms MS  length of one billed minute of live broadcasting (default 60000)\n"
    "  --session-timeout-s  idle time after which a session ends (default 1800)\n"
    "  --delay-ms MS        delay every service answer\n"
    "  --drop               close service connections without answering\n"
    "  --html-500           answer service requests with status 500 and an HTML page\n"
    "  --chunked            send service answers with chunked transfer coding\n"
    "  --fault-operation N  apply the faults above to operation N only\n"
    "  --withhold-live-drm  answer GetSelMediaServerList without the live DRM material\n"
    "media servers (pushes to publishing points, live points for players):\n"
    "  --media-ports P1,P2  ports of the state's media servers on 127.0.0.1, in order (default: the\n"
    "                       state's ports, 8091 and 8092 in a fresh state); off: no media servers\n"
    "  --push-auth SCHEMES  basic, digest or both (default) for the push account check\n"
    "  --push-idle-timeout-s S        a push start without packets ends after S s (default 60)\n"
    "  --push-inactivity-timeout-s S  a push with no push start ends after S s (default 120)\n"
    "  --max-viewers N      players per live point (default 1000)\n"
    "  --drop-push-after S  fault: cut every push S seconds after it started (decimals allowed)\n"
    "  --drop-push-count N  cut only the first N pushes\n";

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
    } else if (arg == "--ftp-read-limit") {
      if (!number(0, 1000000000, n)) return bad("--ftp-read-limit needs 0..1000000000 bytes per second");
      o.ftpReadLimit = static_cast<int>(n);
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
    } else if (arg == "--media-ports") {
      if (!value(v)) return bad("--media-ports needs P1,P2,... or off");
      if (v == "off") {
        o.media.enabled = false;
        continue;
      }
      std::string_view rest = v;
      while (!rest.empty()) {
        const auto comma = rest.find(',');
        if (!ParseNumber(rest.substr(0, comma), 1, 65535, n)) return bad("--media-ports needs port numbers");
        o.media.ports.push_back(static_cast<int>(n));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
      }
    } else if (arg == "--push-auth") {
      if (!value(v) || (v != "basic" && v != "digest" && v != "both")) return bad("--push-auth needs basic, digest or both");
      o.media.pushAuth = v;
    } else if (arg == "--push-idle-timeout-s") {
      if (!number(1, 86400, n)) return bad("--push-idle-timeout-s needs a number of seconds");
      o.media.pushIdleTimeoutS = static_cast<int>(n);
    } else if (arg == "--push-inactivity-timeout-s") {
      if (!number(1, 86400, n)) return bad("--push-inactivity-timeout-s needs a number of seconds");
      o.media.pushInactivityTimeoutS = static_cast<int>(n);
    } else if (arg == "--max-viewers") {
      if (!number(1, 100000, n)) return bad("--max-viewers needs 1..100000");
      o.media.maxViewers = static_cast<int>(n);
    } else if (arg == "--drop-push-after") {
      if (!value(v)) return bad("--drop-push-after needs seconds");
      std::string text(v);
      char* end = nullptr;
      const double seconds = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != '\0' || !(seconds > 0 && seconds <= 86400)) return bad("--drop-push-after needs seconds");
      o.media.dropPushAfterS = seconds;
    } else if (arg == "--drop-push-count") {
      if (!number(1, 1000000, n)) return bad("--drop-push-count needs a positive number");
      o.media.dropPushCount = static_cast<int>(n);
    } else if (arg == "--withhold-live-drm") {
      o.faults.withholdLiveDrm = true;
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
