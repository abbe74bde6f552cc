#pragma once
// The platform's media servers, one per media server of its state, each on its port.

#include <memory>
#include <string>
#include <vector>

#include "sim/media_server_host.h"
#include "sim/platform_options.h"
#include "sim/platform_state.h"

namespace sim {

// The media server settings of the command line.
MediaServerOptions MediaOptionsFor(const MediaOptions& options);

class MediaServers {
 public:
  // Starts a media server for every server of the state. One whose port cannot be bound
  // is left out and named in `report` (the rest run); returns how many run.
  int Start(const std::vector<MediaServer>& servers, const MediaServerOptions& options, std::string& report);
  void Stop();
  // Every publishing point of every running media server, in state order.
  std::vector<LivePointStatus> Status() const;
  // "127.0.0.1:8091,127.0.0.1:8092" for the running ones.
  std::string Addresses() const;

 private:
  std::vector<std::unique_ptr<MediaServerHost>> hosts_;
};

}  // namespace sim
