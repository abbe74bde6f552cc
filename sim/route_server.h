#pragma once
// The HTTP library's routes, run on the front end's own threads: a request the front end
// has read whole is parsed and answered by the library straight onto the client's
// connection, with no second connection or thread between them.

#include <httplib.h>

#include <string_view>

namespace sim {

class RouteServer : public httplib::Server {
 public:
  // Takes the library's post-routing hook for the Connection header; do not replace it.
  RouteServer();
  ~RouteServer() override;
  RouteServer(const RouteServer&) = delete;
  RouteServer& operator=(const RouteServer&) = delete;

  // Answers `request` (head and body as read) on `client`, a blocking socket with a send
  // timeout. True when the answer went out whole and the connection may take another.
  bool Answer(int client, std::string_view request, bool keepAlive);
  // Ends answers still being written (long downloads) and refuses their remainder.
  void Shutdown();
};

}  // namespace sim
