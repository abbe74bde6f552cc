#include "sim/answer_relay.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>

#include "sim/answer_framing.h"

namespace sim {
namespace {

constexpr std::size_t kReadBytes = 64 * 1024;
constexpr std::size_t kMaxAnswerHead = 64 * 1024;

bool SendAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

ssize_t Receive(int fd, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t count = ::recv(fd, buffer, size, 0);
    if (count >= 0 || errno != EINTR) return count;
  }
}

// How much of the bytes streaming past belong to the answer, and whether it is whole.
class BodyEnd {
 public:
  explicit BodyEnd(const AnswerHead& head) : body_(head.body), left_(head.contentLength) {}

  std::size_t Take(std::string_view bytes) {
    switch (body_) {
      case AnswerHead::Body::None:
        return 0;
      case AnswerHead::Body::Length: {
        const std::size_t take = std::min(left_, bytes.size());
        left_ -= take;
        return take;
      }
      case AnswerHead::Body::Chunked:
        return chunks_.Feed(bytes);
      case AnswerHead::Body::UntilClose:
        break;
    }
    return bytes.size();
  }
  bool Whole() const {
    return body_ == AnswerHead::Body::None || (body_ == AnswerHead::Body::Length && left_ == 0) ||
           (body_ == AnswerHead::Body::Chunked && chunks_.Done());
  }
  bool Broken() const { return chunks_.Broken(); }
  bool EndsAtClose() const { return body_ == AnswerHead::Body::UntilClose; }

 private:
  AnswerHead::Body body_;
  std::size_t left_;
  ChunkedBodyEnd chunks_;
};

}  // namespace

RelayOutcome RelayAnswer(int backend, int client, std::string_view request, bool headRequest, bool keepClient) {
  RelayOutcome outcome;
  if (!SendAll(backend, request.data(), request.size())) return outcome;
  std::string received;
  std::optional<AnswerHead> head;
  char buffer[kReadBytes];
  while (!head) {
    const ssize_t count = Receive(backend, buffer, sizeof buffer);
    if (count <= 0) return outcome;
    received.append(buffer, static_cast<std::size_t>(count));
    head = ScanAnswerHead(received, headRequest);
    if (!head && received.size() > kMaxAnswerHead) return outcome;
  }
  if (head->malformed) return outcome;

  BodyEnd end(*head);
  const bool clientStays = keepClient && !end.EndsAtClose();
  std::string lead = head->headWithoutConnection + (clientStays ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n");
  const std::string_view first = std::string_view(received).substr(head->headBytes);
  const std::size_t firstTaken = end.Take(first);
  bool surplus = firstTaken < first.size();
  lead.append(first.substr(0, firstTaken));
  if (!SendAll(client, lead.data(), lead.size())) return outcome;
  while (!end.Whole() && !end.Broken()) {
    const ssize_t count = Receive(backend, buffer, sizeof buffer);
    if (count <= 0) {
      outcome.answered = count == 0 && end.EndsAtClose();
      return outcome;
    }
    const std::size_t taken = end.Take(std::string_view(buffer, static_cast<std::size_t>(count)));
    surplus = surplus || taken < static_cast<std::size_t>(count);
    if (!SendAll(client, buffer, taken)) return outcome;
  }
  if (end.Broken()) return outcome;
  outcome.answered = true;
  outcome.backendReusable = !head->closes && !surplus;
  outcome.clientReusable = clientStays;
  return outcome;
}

}  // namespace sim
