#pragma once
// One request passed whole to the HTTP library over a kept connection, and its answer
// streamed back to the client, followed to its end so both connections can be kept.

#include <string_view>

namespace sim {

struct RelayOutcome {
  bool answered = false;         // the whole answer reached the client
  bool backendReusable = false;  // the library's connection may carry the next request
  bool clientReusable = false;   // the client was told its connection stays open
};

// Both sockets blocking with timeouts. `keepClient`: the client asked to keep its
// connection; it is kept unless the answer's end is only known by the library closing.
RelayOutcome RelayAnswer(int backend, int client, std::string_view request, bool headRequest, bool keepClient);

}  // namespace sim
