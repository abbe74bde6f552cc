#include "sim/media_servers.h"

namespace sim {

MediaServerOptions MediaOptionsFor(const MediaOptions& options) {
  MediaServerOptions o;
  o.timers.idle = std::chrono::seconds(options.pushIdleTimeoutS);
  o.timers.inactivity = std::chrono::seconds(options.pushInactivityTimeoutS);
  o.schemes = options.pushAuth == "basic"    ? PushAuthSchemes::Basic
              : options.pushAuth == "digest" ? PushAuthSchemes::Digest
                                             : PushAuthSchemes::Both;
  o.maxViewersPerPoint = options.maxViewers;
  o.dropPushAfterMs = static_cast<int>(options.dropPushAfterS * 1000);
  o.dropPushCount = options.dropPushCount;
  return o;
}

int MediaServers::Start(const std::vector<MediaServer>& servers, const MediaServerOptions& options,
                        std::string& report) {
  for (const MediaServer& server : servers) {
    MediaServerConfig config;
    config.id = server.id;
    config.port = server.port;
    config.user = server.serverUser;
    config.password = server.serverPass;
    for (const PublishingPoint& point : server.points) config.points.push_back(point.name);
    auto host = std::make_unique<MediaServerHost>(std::move(config), options);
    std::string error;
    if (!host->Start(error)) {
      report += (report.empty() ? "" : "; ") + error;
      continue;
    }
    hosts_.push_back(std::move(host));
  }
  return static_cast<int>(hosts_.size());
}

void MediaServers::Stop() {
  for (auto& host : hosts_) host->Stop();
  hosts_.clear();
}

std::vector<LivePointStatus> MediaServers::Status() const {
  std::vector<LivePointStatus> all;
  for (const auto& host : hosts_) {
    auto status = host->Status();
    all.insert(all.end(), status.begin(), status.end());
  }
  return all;
}

std::string MediaServers::Addresses() const {
  std::string text;
  for (const auto& host : hosts_) text += (text.empty() ? "127.0.0.1:" : ",127.0.0.1:") + std::to_string(host->Port());
  return text.empty() ? "off" : text;
}

}  // namespace sim
