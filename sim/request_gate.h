#pragma once
// The platform's public HTTP port. An event-driven front end that takes each request
// whole — head and body within one deadline, a body over the limit answered before it is
// read — and only then hands it to the HTTP library behind it on a loopback port, over
// connections kept open from one request to the next. Idle and slow connections so cost
// one socket and a few bytes each, never a worker; a client's kept connection waits for
// its next request in the same way, each request again within the deadline.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace sim {

class RequestGate {
 public:
  struct Limits {
    std::size_t maxHeadBytes = 16 * 1024;
    std::size_t maxBodyBytes = 4 << 20;
    int requestDeadlineMs = 10000;  // for the head and the body together
    int keepAliveIdleMs = 5000;     // a kept connection's wait for its next request
    int maxConnections = 4000;      // open at once; more are closed on arrival
    int forwarders = 16;            // requests passed on at once
  };
  // The whole HTTP answer to a request whose body is over the limit, by method and target.
  using TooLargeAnswer = std::function<std::string(const std::string& method, const std::string& target)>;

  RequestGate(Limits limits, int backendPort, TooLargeAnswer tooLarge);
  ~RequestGate();
  RequestGate(const RequestGate&) = delete;
  RequestGate& operator=(const RequestGate&) = delete;

  bool Bind(const std::string& host, int port, std::string& error);
  // Serves until Stop (from any thread).
  void Run();
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace sim
