#pragma once
// Open connections to the HTTP library behind the front end on its loopback port, kept
// between requests so a request costs no new connection there. A connection idle for
// longer than the library keeps one waiting, or one the library has closed, is dropped.

#include <chrono>
#include <cstddef>
#include <deque>
#include <mutex>
#include <utility>

namespace sim {

class BackendPool {
 public:
  BackendPool(int port, std::size_t maxIdle, std::chrono::milliseconds maxIdleAge);
  ~BackendPool();
  BackendPool(const BackendPool&) = delete;
  BackendPool& operator=(const BackendPool&) = delete;

  // An idle connection still open, or else a new one (-1 when none can be made);
  // blocking, with send and receive timeouts.
  int Take();
  // A connection whose last answer was read whole, for the next request.
  void Give(int fd);
  void CloseAll();

 private:
  using Clock = std::chrono::steady_clock;
  int port_;
  std::size_t maxIdle_;
  std::chrono::milliseconds maxIdleAge_;
  std::mutex lock_;
  std::deque<std::pair<int, Clock::time_point>> idle_;  // oldest first; the last given is taken first

  void DropStale(Clock::time_point now);
  int Connect() const;
};

}  // namespace sim
