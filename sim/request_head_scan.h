#pragma once
// What the front end needs to know of a request head before the body arrives, and the
// head it passes on.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sim {

struct ScannedHead {
  std::size_t headBytes = 0;  // up to and including the blank line
  std::string method;
  std::string target;
  std::size_t contentLength = 0;
  bool chunked = false;
  bool expectsContinue = false;
  bool malformed = false;  // no request line, or a Content-Length that is not a number
  // The client means to send further requests on the connection: HTTP/1.1 unless it
  // says close, HTTP/1.0 only when it asks for keep-alive.
  bool keepAlive = false;
  // The head to pass on: Connection, Keep-Alive and Expect dropped, as the front end deals
  // with them, and "Connection: Keep-Alive" added, so the HTTP library leaves the choice
  // to keep the connection to the front end.
  std::string forwardHead;
};

// Nothing until `received` holds a whole head.
std::optional<ScannedHead> ScanRequestHead(std::string_view received);

}  // namespace sim
