#pragma once
// One encoder connection to a media server, read as [MS-WMHTTP] describes: push setup
// requests (account check, publishing point, AutoDestroy) and push start requests
// whose bodies carry $H, $D, $C, $E and $F packets, answered 204 when a body is done.
// Owned and driven by the media server's thread; the sessions stay with the server.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "sim/push_session.h"
#include "wavetap/stream/http_request.h"
#include "wavetap/stream/push_framing.h"

namespace sim {

class LivePoint;
class PushAuthenticator;

// What a connection needs from its media server.
class PushHost {
 public:
  virtual ~PushHost() = default;
  // The publishing point a request path names, or null.
  virtual LivePoint* PointAt(const std::string& path) = 0;
  virtual const PushAuthenticator& Authenticator() const = 0;
  virtual const PushTimers& Timers() const = 0;
  virtual PushSession* FindSession(const std::string& pushId) = 0;
  // A new session holding the point; null with an HTTP status when the point is busy.
  virtual PushSession* OpenSession(LivePoint* point, bool autoDestroy, int* status) = 0;
  // Deletes the session; the point is freed when the push asked for it.
  virtual void EndSession(const std::string& pushId) = 0;
  virtual void Log(const std::string& line) = 0;
};

class PushReceiver {
 public:
  PushReceiver(int fd, PushHost& host);
  ~PushReceiver();
  PushReceiver(const PushReceiver&) = delete;
  PushReceiver& operator=(const PushReceiver&) = delete;

  int Fd() const { return fd_; }
  bool Closed() const { return fd_ < 0; }
  // An answer that ends the connection is out or on its way; only the close is left.
  bool Closing() const { return state_ == State::Closing; }
  bool WantsOutput() const { return out_.size() > outSent_; }
  // The push-id of the push start this connection is receiving, or empty.
  const std::string& StreamingPushId() const { return streaming_; }

  // The request the front end read from the socket, and any bytes after it.
  void Begin(const wavetap::HttpRequest& request, const std::string& rest, PushClock::time_point now);
  void OnReadable(PushClock::time_point now);
  void OnWritable();
  // Answers `status` at once and closes (a timer ran out, or the server drops the push).
  void Abort(int status, const std::string& why);
  void Close();

 private:
  enum class State { Head, SetupBody, StartBody, Closing };

  void Process(PushClock::time_point now);
  bool TakeHead();
  void HandleRequest(PushClock::time_point now);
  void HandleSetup(PushClock::time_point now);
  void HandleStart(PushClock::time_point now);
  void ReceiveBody(PushClock::time_point now);
  bool HandlePacket(const wavetap::push::PushPacket& packet, PushSession& session, PushClock::time_point now);
  void EndRequestBody(PushClock::time_point now);
  void Answer(int status, const std::string& fields, bool close);
  void Refuse(int status, const std::string& why);
  void Flush();

  int fd_;
  PushHost& host_;
  State state_ = State::Head;
  std::string in_;  // received, not yet used
  wavetap::HttpRequest request_;
  long long bodyLeft_ = 0;
  wavetap::push::PushBodyReader body_;
  std::string streaming_;
  std::string authenticatedFor_;  // push-id whose setup this connection authenticated
  std::string out_;
  std::size_t outSent_ = 0;
};

}  // namespace sim
