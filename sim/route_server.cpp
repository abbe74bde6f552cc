#include "sim/route_server.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "sim/socket_address.h"

namespace sim {
namespace {

// The request comes from memory, where the front end gathered it; the answer goes to
// the client's socket.
class ClientStream final : public httplib::Stream {
 public:
  ClientStream(int client, std::string_view request) : client_(client), request_(request) {}

  bool is_readable() const override { return offset_ < request_.size(); }
  bool is_writable() const override { return !failed_; }

  ssize_t read(char* ptr, size_t size) override {
    const std::size_t count = std::min(size, request_.size() - offset_);
    std::memcpy(ptr, request_.data() + offset_, count);
    offset_ += count;
    return static_cast<ssize_t>(count);
  }

  // The answer's first write is its head; it is held back and sent with the first
  // piece of the body, so a small answer reaches the client as one segment.
  ssize_t write(const char* ptr, size_t size) override {
    if (!headSeen_) {
      headSeen_ = true;
      held_.assign(ptr, size);
      return static_cast<ssize_t>(size);
    }
    if (!held_.empty()) {
      held_.append(ptr, size);
      SendAll(held_.data(), held_.size());
      held_.clear();
    } else {
      SendAll(ptr, size);
    }
    return failed_ ? -1 : static_cast<ssize_t>(size);
  }

  // Sends what is held back (the head of an answer without a body); true when all
  // of the answer went out.
  bool Flush() {
    if (!held_.empty()) SendAll(held_.data(), held_.size());
    held_.clear();
    return !failed_;
  }

  // The client's own ends, so a handler that looks a connection up by them finds this one.
  void get_remote_ip_and_port(std::string& ip, int& port) const override { PeerAddress(client_, ip, port); }
  void get_local_ip_and_port(std::string& ip, int& port) const override { LocalAddress(client_, ip, port); }
  socket_t socket() const override { return client_; }

 private:
  int client_;
  std::string_view request_;
  std::size_t offset_ = 0;
  bool failed_ = false;
  bool headSeen_ = false;
  std::string held_;

  void SendAll(const char* ptr, std::size_t size) {
    std::size_t done = 0;
    while (!failed_ && done < size) {
      const ssize_t sent = ::send(client_, ptr + done, size - done, MSG_NOSIGNAL);
      if (sent < 0 && errno == EINTR) continue;
      if (sent <= 0) failed_ = true;  // the peer went, or the send timeout passed
      else done += static_cast<std::size_t>(sent);
    }
  }
};

// The answer being written on this thread: the library's hook for the answer's headers
// sees only the request and the answer.
struct AnswerInProgress {
  bool keepAlive = false;
  bool malformed = false;
};
thread_local AnswerInProgress* current = nullptr;

}  // namespace

// The library takes an invalid listening socket for a server shutting down and then
// writes no answer body; a socket that is never bound stands in for the listener.
RouteServer::RouteServer() {
  svr_sock_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  // The library says only when a connection closes; an HTTP/1.0 client keeps its
  // connection only when told it stays. A request the library could not read leaves the
  // connection where the next request would start unknown, so it closes.
  set_post_routing_handler([](const httplib::Request&, httplib::Response& res) {
    if (current == nullptr) return;
    if (res.status == 400) {
      current->malformed = true;
      res.set_header("Connection", "close");
    } else if (current->keepAlive) {
      res.set_header("Connection", "keep-alive");
    }
  });
}

RouteServer::~RouteServer() { Shutdown(); }

void RouteServer::Shutdown() {
  const socket_t marker = svr_sock_.exchange(INVALID_SOCKET);
  if (marker != INVALID_SOCKET) ::close(marker);
}

bool RouteServer::Answer(int client, std::string_view request, bool keepAlive) {
  ClientStream stream(client, request);
  AnswerInProgress state{keepAlive, false};
  current = &state;
  bool closes = false;
  const bool answered = process_request(stream, !keepAlive, closes, nullptr);
  current = nullptr;
  const bool sent = stream.Flush();
  // An answer cut short by a shutdown still counts as written for the library.
  const bool shuttingDown = svr_sock_ == INVALID_SOCKET;
  return answered && keepAlive && !closes && !state.malformed && !shuttingDown && sent;
}

}  // namespace sim
