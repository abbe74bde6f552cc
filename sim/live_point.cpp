#include "sim/live_point.h"


#include "wavetap/stream/asf_header_info.h"
#include "wavetap/stream/stream_server.h"
#include "wavetap/stream/stream_server_limits.h"

#include <algorithm>

namespace sim {

LivePoint::LivePoint(std::string name, int maxViewers) : name_(std::move(name)), maxViewers_(maxViewers) {}

LivePoint::~LivePoint() { Close(); }

bool LivePoint::Open() {
  std::lock_guard lock(mutex_);
  if (server_) return true;
  // Players of a point all come through the front end at once (a crowd joining a
  // broadcast): as many may wait for their stream as may watch.
  wavetap::StreamServerLimits limits;
  limits.maxPendingConnections = std::max(limits.maxPendingConnections, maxViewers_);
  limits.maxConnectionsPerAddress = std::max(limits.maxConnectionsPerAddress, maxViewers_);
  auto server = std::make_unique<wavetap::StreamServer>(limits);
  if (!server->StartDetached(maxViewers_)) return false;
  server_ = std::move(server);
  packets_ = 0;
  return true;
}

void LivePoint::Close() {
  std::unique_ptr<wavetap::StreamServer> server;
  {
    std::lock_guard lock(mutex_);
    server = std::move(server_);
  }
  if (server) server->Stop();  // players get the end of the stream
}

bool LivePoint::IsOpen() const {
  std::lock_guard lock(mutex_);
  return server_ != nullptr;
}

std::uint32_t LivePoint::FeedHeader(const QByteArray& header) {
  const auto info =
      wavetap::asf::ParseHeader(reinterpret_cast<const std::uint8_t*>(header.constData()), static_cast<std::size_t>(header.size()));
  if (!info) return 0;
  std::lock_guard lock(mutex_);
  if (server_) server_->FeedAsf(header.constData(), static_cast<std::size_t>(header.size()));
  return info->packetSize;
}

void LivePoint::FeedPacket(const QByteArray& packet) {
  std::lock_guard lock(mutex_);
  if (!server_) return;
  server_->FeedAsf(packet.constData(), static_cast<std::size_t>(packet.size()));
  ++packets_;
}

bool LivePoint::AdoptViewer(int fd) {
  std::lock_guard lock(mutex_);
  return server_ && server_->Adopt(fd);
}

int LivePoint::ViewerCount() const {
  std::lock_guard lock(mutex_);
  return server_ ? server_->ViewerCount() : 0;
}

std::uint64_t LivePoint::PacketsFed() const {
  std::lock_guard lock(mutex_);
  return packets_;
}

}  // namespace sim
