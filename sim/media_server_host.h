#pragma once
// One media server of the platform on its own port (127.0.0.1): encoders push to its
// publishing points with the server's push account ([MS-WMHTTP]); mms:// and plain HTTP
// players pull a live point at the point's path, served by the live encoder's stream
// server. One thread reads every connection; each live point's players have their own.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/live_point_status.h"
#include "sim/push_authenticator.h"
#include "sim/push_receiver.h"
#include "sim/push_session.h"

namespace sim {

class LivePoint;

struct MediaServerConfig {
  std::int64_t id = 0;
  int port = 0;
  std::string user;
  std::string password;
  std::vector<std::string> points;
};

struct MediaServerOptions {
  PushTimers timers;
  PushAuthSchemes schemes = PushAuthSchemes::Both;
  int maxViewersPerPoint = 1000;
  int dropPushAfterMs = 0;  // a fault for tests: pushes are cut this long after they start
  int dropPushCount = -1;   // how many pushes are cut; -1 every one
};

class MediaServerHost : public PushHost {
 public:
  MediaServerHost(MediaServerConfig config, MediaServerOptions options);
  ~MediaServerHost() override;
  MediaServerHost(const MediaServerHost&) = delete;
  MediaServerHost& operator=(const MediaServerHost&) = delete;

  // Listens on 127.0.0.1 and the configured port; false with a reason.
  bool Start(std::string& error);
  void Stop();
  int Port() const { return port_; }
  std::vector<LivePointStatus> Status() const;

 private:
  struct Pending {
    int fd = -1;
    PushClock::time_point since;
    std::size_t peeked = 0;
    bool headIncomplete = false;  // bytes are there, but not the whole head: peek again later
  };
  struct Receiver {
    std::unique_ptr<PushReceiver> receiver;
    PushClock::time_point closingSince{};
  };

  void Run();
  void Accept(PushClock::time_point now);
  bool Route(Pending& pending, PushClock::time_point now);  // true when it is decided
  void ApplyTimers(PushClock::time_point now);
  PushReceiver* StreamingReceiver(const std::string& pushId);
  void RefreshStatus();

  // PushHost
  LivePoint* PointAt(const std::string& path) override;
  const PushAuthenticator& Authenticator() const override { return authenticator_; }
  const PushTimers& Timers() const override { return options_.timers; }
  PushSession* FindSession(const std::string& pushId) override;
  PushSession* OpenSession(LivePoint* point, bool autoDestroy, int* status) override;
  void EndSession(const std::string& pushId) override;
  void Log(const std::string& line) override;

  const MediaServerConfig config_;
  const MediaServerOptions options_;
  PushAuthenticator authenticator_;
  std::vector<std::unique_ptr<LivePoint>> points_;

  std::map<std::string, std::unique_ptr<PushSession>> sessions_;  // server thread only
  mutable std::mutex statusMutex_;
  std::vector<LivePointStatus> status_;  // refreshed by the server thread
  int dropped_ = 0;

  int listenFd_ = -1;
  int wakeFd_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
  std::vector<Pending> pending_;
  std::vector<Receiver> receivers_;
};

}  // namespace sim
