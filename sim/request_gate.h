#pragma once
// The platform's public HTTP port. An event-driven front end that takes each request
// whole — head and body within one deadline, a body over the limit answered before it is
// read — and only then hands it to a worker that answers it on the client's connection.
// Idle and slow connections so cost one socket and a few bytes each, never a worker; a
// client's kept connection waits for its next request in the same way, each request
// again within the deadline.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace sim {

class RequestGate {
 public:
  struct Limits {
    std::size_t maxHeadBytes = 16 * 1024;
    std::size_t maxBodyBytes = 4 << 20;
    int requestDeadlineMs = 10000;  // for the head and the body together
    int keepAliveIdleMs = 5000;     // a kept connection's wait for its next request
    int maxConnections = 4000;      // open at once; more are closed on arrival
    int workers = 16;               // requests answered at once
  };
  // The whole HTTP answer to a request whose body is over the limit, by method and target.
  using TooLargeAnswer = std::function<std::string(const std::string& method, const std::string& target)>;
  // Answers a whole request (its head without Connection, Keep-Alive and Expect, then its
  // body) on the client's socket, made blocking with a send timeout; true when the
  // connection stays open for the client's next request.
  using Answer = std::function<bool(int client, std::string_view request, bool keepAlive)>;

  RequestGate(Limits limits, Answer answer, TooLargeAnswer tooLarge);
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
