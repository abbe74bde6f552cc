#pragma once
// A publishing point of a media server as players see it: while a push holds it, a
// stream server (the live encoder's pull server, without a socket of its own) serves
// what the push feeds to the mms:// and HTTP players the front end hands it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include <QByteArray>

namespace wavetap {
class StreamServer;
}

namespace sim {

class LivePoint {
 public:
  LivePoint(std::string name, int maxViewers);
  ~LivePoint();
  LivePoint(const LivePoint&) = delete;
  LivePoint& operator=(const LivePoint&) = delete;

  const std::string& Name() const { return name_; }

  // Opens the point for players (a push set it up); true when it is open.
  bool Open();
  // Ends the stream for its players and closes the point.
  void Close();
  bool IsOpen() const;

  // The push's ASF header (Header Object and the start of the Data Object); a new one
  // starts a new stream. Returns its fixed packet size, 0 when it is no usable header.
  std::uint32_t FeedHeader(const QByteArray& header);
  // One data packet of exactly the header's packet size.
  void FeedPacket(const QByteArray& packet);
  // Hands a player's connection (its request still unread) to the stream server.
  bool AdoptViewer(int fd);
  int ViewerCount() const;
  std::uint64_t PacketsFed() const;

 private:
  const std::string name_;
  const int maxViewers_;
  mutable std::mutex mutex_;
  std::unique_ptr<wavetap::StreamServer> server_;
  std::uint64_t packets_ = 0;
};

}  // namespace sim
