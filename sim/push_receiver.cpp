#include "sim/push_receiver.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "sim/live_point.h"
#include "sim/push_authenticator.h"
#include "wavetap/stream/asf_packet_padding.h"

namespace sim {
namespace {

constexpr std::size_t kMaxHead = wavetap::HttpRequest::kMaxHeadSize;
constexpr long long kMaxSetupBody = 4096;
constexpr char kServerField[] = "Server: Cougar/9.5.6001.18000\r\n";

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The value of one cookie of the Cookie field ("a=1; push-id=42"); empty when absent.
std::string CookieValue(const wavetap::HttpRequest& request, const std::string& name) {
  const std::string field = request.Header("Cookie").value_or(std::string());
  std::size_t start = 0;
  while (start <= field.size()) {
    const std::size_t end = std::min(field.find(';', start), field.size());
    const std::string pair = field.substr(start, end - start);
    const auto equals = pair.find('=');
    if (equals != std::string::npos && Lower(Trimmed(pair.substr(0, equals))) == name)
      return Trimmed(pair.substr(equals + 1));
    start = end + 1;
  }
  return {};
}

// Content-Length as a number; -1 when absent or malformed.
long long ContentLength(const wavetap::HttpRequest& request) {
  const std::string value = Trimmed(request.Header("Content-Length").value_or(std::string()));
  if (value.empty() || value.size() > 12 || value.find_first_not_of("0123456789") != std::string::npos) return -1;
  return std::stoll(value);
}

bool IsEncoderAgent(const wavetap::HttpRequest& request) {
  // "WMEncoder/" major "." minor ...; majors 9 to 12.
  const std::string agent = request.Header("User-Agent").value_or(std::string());
  if (agent.rfind("WMEncoder/", 0) != 0) return false;
  std::size_t pos = 10;
  const std::size_t majorStart = pos;
  while (pos < agent.size() && std::isdigit(static_cast<unsigned char>(agent[pos]))) ++pos;
  if (pos == majorStart || pos - majorStart > 2 || pos >= agent.size() || agent[pos] != '.') return false;
  const int major = std::stoi(agent.substr(majorStart, pos - majorStart));
  return major >= 9 && major <= 12 && pos + 1 < agent.size() && std::isdigit(static_cast<unsigned char>(agent[pos + 1]));
}

bool HasType(const wavetap::HttpRequest& request, const char* type) {
  const std::string value = Lower(Trimmed(request.Header("Content-Type").value_or(std::string())));
  return value == type || value.rfind(std::string(type) + ";", 0) == 0;
}

// AutoDestroy of a push setup body; `present` tells whether the directive was there.
bool AutoDestroyOf(const std::string& body, bool* present) {
  std::size_t start = 0;
  *present = false;
  while (start < body.size()) {
    const std::size_t end = std::min(body.find('\n', start), body.size());
    std::string line = body.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto colon = line.find(':');
    if (colon != std::string::npos && Lower(Trimmed(line.substr(0, colon))) == "autodestroy") {
      *present = true;
      return Trimmed(line.substr(colon + 1)) == "1";
    }
    start = end + 1;
  }
  return false;
}

const char* StatusText(int status) {
  switch (status) {
    case 204: return "No Content";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 409: return "Conflict";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 415: return "Unsupported Media Type";
    case 503: return "Service Unavailable";
    default: return "Error";
  }
}

std::string DateField() {
  char text[64];
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  std::strftime(text, sizeof text, "Date: %a, %d %b %Y %H:%M:%S GMT\r\n", &tm);
  return text;
}

}  // namespace

PushReceiver::PushReceiver(int fd, PushHost& host) : fd_(fd), host_(host) {}

PushReceiver::~PushReceiver() { Close(); }

void PushReceiver::Close() {
  if (fd_ < 0) return;
  if (!streaming_.empty()) {
    // Lost in the middle of a push start: the session waits for the encoder on its idle timer.
    if (PushSession* session = host_.FindSession(streaming_); session && session->streamingOn == this)
      session->streamingOn = nullptr;
    streaming_.clear();
  }
  ::close(fd_);
  fd_ = -1;
}

void PushReceiver::Begin(const wavetap::HttpRequest& request, const std::string& rest, PushClock::time_point now) {
  request_ = request;
  in_ = rest;
  HandleRequest(now);
  Process(now);
}

void PushReceiver::OnReadable(PushClock::time_point now) {
  char buffer[16384];
  bool ended = false;
  for (;;) {
    if (fd_ < 0) return;
    const ssize_t got = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (got == 0) {
      ended = true;
      break;
    }
    if (got < 0) {
      if (errno == EINTR) continue;
      ended = errno != EAGAIN && errno != EWOULDBLOCK;
      break;
    }
    if (state_ == State::Closing) continue;  // only waiting for the encoder to go
    in_.append(buffer, static_cast<std::size_t>(got));
    // Bodies are taken as they come; only a head is held back, and only up to its bound.
    if (in_.size() > kMaxHead + 65536) break;
  }
  // What came before the end is still the encoder's ($E 0 often arrives with the close).
  Process(now);
  if (ended) Close();
}

void PushReceiver::Process(PushClock::time_point now) {
  for (;;) {
    if (fd_ < 0 || state_ == State::Closing) {
      in_.clear();
      return;
    }
    if (state_ == State::Head) {
      if (!TakeHead()) return;
      HandleRequest(now);
    } else if (state_ == State::SetupBody) {
      if (static_cast<long long>(in_.size()) < bodyLeft_) return;
      HandleSetup(now);
    } else {
      const std::size_t before = in_.size();
      ReceiveBody(now);
      if (state_ == State::StartBody && in_.size() == before) return;
    }
  }
}

bool PushReceiver::TakeHead() {
  std::size_t end = in_.find("\r\n\r\n");
  std::size_t length = end == std::string::npos ? end : end + 4;
  if (const std::size_t bare = in_.find("\n\n"); bare != std::string::npos && (length == std::string::npos || bare + 2 < length))
    length = bare + 2;
  if (length == std::string::npos) {
    if (in_.size() > kMaxHead) Refuse(400, "a request head without its end");
    return false;
  }
  request_ = wavetap::HttpRequest();
  request_.Feed(in_.data(), length);
  in_.erase(0, length);
  if (request_.CurrentState() != wavetap::HttpRequest::State::Complete) {
    Refuse(400, "a malformed request head");
    return false;
  }
  return true;
}

void PushReceiver::HandleRequest(PushClock::time_point now) {
  if (request_.Method() != "POST") return Refuse(405, "only POST requests belong to a push");
  const long long length = ContentLength(request_);
  if (HasType(request_, "application/x-wms-pushsetup")) {
    if (length < 0) return Refuse(411, "a push setup without Content-Length");
    if (length > kMaxSetupBody) return Refuse(413, "a push setup body of " + std::to_string(length) + " bytes");
    bodyLeft_ = length;
    state_ = State::SetupBody;
    return;
  }
  if (HasType(request_, "application/x-wms-pushstart")) return HandleStart(now);
  Refuse(415, "a POST that is neither push setup nor push start");
}

void PushReceiver::HandleSetup(PushClock::time_point now) {
  const std::string body = in_.substr(0, static_cast<std::size_t>(bodyLeft_));
  in_.erase(0, static_cast<std::size_t>(bodyLeft_));
  state_ = State::Head;
  if (!IsEncoderAgent(request_)) return Refuse(400, "the client is not an encoder (User-Agent)");
  if (!host_.Authenticator().Accepts(request_)) {
    host_.Log("push setup " + request_.Target() + ": account refused, challenging");
    return Answer(401, host_.Authenticator().ChallengeFields(request_), false);
  }
  const std::string pushId = CookieValue(request_, "push-id");
  LivePoint* point = host_.PointAt(request_.Target());
  if (!point) return Refuse(404, "no publishing point " + request_.Target());
  bool directive = false;
  const bool autoDestroy = AutoDestroyOf(body, &directive);
  PushSession* session = nullptr;
  if (!pushId.empty() && pushId != "0") {
    session = host_.FindSession(pushId);
    if (!session) return Refuse(400, "unknown push-id " + pushId);
    if (session->point != point) return Refuse(400, "push-id " + pushId + " holds another publishing point");
    if (session->streamingOn && session->streamingOn != this) return Refuse(409, "push-id " + pushId + " is streaming");
    if (directive) session->autoDestroy = autoDestroy;
  } else {
    int status = 0;
    session = host_.OpenSession(point, autoDestroy, &status);
    if (!session) return Refuse(status, "publishing point " + point->Name() + " is in use");
  }
  session->deadline = now + host_.Timers().inactivity;
  authenticatedFor_ = session->pushId;
  host_.Log("push setup " + request_.Target() + ": accepted, push-id " + session->pushId +
            (session->autoDestroy ? ", AutoDestroy" : ""));
  Answer(204, "Set-Cookie: push-id=" + session->pushId + "\r\n", false);
}

void PushReceiver::HandleStart(PushClock::time_point now) {
  const long long length = ContentLength(request_);
  if (length < 0) return Refuse(411, "a push start without Content-Length");
  const std::string pushId = CookieValue(request_, "push-id");
  if (pushId.empty() || pushId == "0") return Refuse(400, "a push start without a push-id");
  if (!host_.Authenticator().Accepts(request_) && authenticatedFor_ != pushId) {
    host_.Log("push start " + request_.Target() + ": account refused");
    return Answer(401, host_.Authenticator().ChallengeFields(request_), true);
  }
  PushSession* session = host_.FindSession(pushId);
  if (!session) return Refuse(400, "unknown push-id " + pushId);
  if (session->point != host_.PointAt(request_.Target()))
    return Refuse(400, "push-id " + pushId + " holds another publishing point");
  if (session->streamingOn && session->streamingOn != this) return Refuse(409, "push-id " + pushId + " is streaming");
  session->streamingOn = this;
  session->deadline = now + host_.Timers().idle;
  if (session->pushStartedAt == PushClock::time_point{}) session->pushStartedAt = now;
  streaming_ = pushId;
  bodyLeft_ = length;
  body_ = wavetap::push::PushBodyReader();
  state_ = State::StartBody;
  if (bodyLeft_ == 0) EndRequestBody(now);
}

void PushReceiver::ReceiveBody(PushClock::time_point now) {
  const std::size_t take = std::min<std::size_t>(in_.size(), static_cast<std::size_t>(bodyLeft_));
  std::vector<wavetap::push::PushPacket> packets;
  const bool ok = body_.Feed(in_.data(), take, packets);
  in_.erase(0, take);
  bodyLeft_ -= static_cast<long long>(take);
  PushSession* session = host_.FindSession(streaming_);
  if (!session) {
    // The server ended the session meanwhile.
    streaming_.clear();
    return Close();
  }
  for (const auto& packet : packets) {
    if (!HandlePacket(packet, *session, now)) return;
  }
  if (!ok) {
    const std::string pushId = streaming_;
    Refuse(400, "push body: " + body_.Error());
    host_.EndSession(pushId);
    return;
  }
  if (bodyLeft_ == 0) {
    if (body_.Pending() > 0) {
      const std::string pushId = streaming_;
      Refuse(400, "push body: it ends inside a packet");
      host_.EndSession(pushId);
      return;
    }
    EndRequestBody(now);
  }
}

bool PushReceiver::HandlePacket(const wavetap::push::PushPacket& packet, PushSession& session,
                                PushClock::time_point now) {
  const std::string pushId = session.pushId;
  const auto protocolError = [&](const std::string& why) {
    Refuse(400, "push body: " + why);
    host_.EndSession(pushId);
    return false;
  };
  if (packet.type == 'F') return true;
  if (!session.headerReceived && packet.type != 'H') return protocolError("the first packet is not $H");
  switch (packet.type) {
    case 'H':
      if (session.headerReceived) return protocolError("a second $H");
      session.packetSize = session.point->FeedHeader(packet.payload);
      if (session.packetSize == 0) return protocolError("$H holds no usable ASF header");
      session.headerReceived = true;
      break;
    case 'D': {
      if (session.awaitingStreamChange) return protocolError("$D after $E 1 without $C");
      const auto padded = wavetap::asf::RestorePadding(packet.payload, session.packetSize);
      if (!padded) return protocolError("a $D packet that is no ASF data packet of the header's size");
      session.point->FeedPacket(*padded);
      break;
    }
    case 'C':
      if (packet.reason != 0) return protocolError("$C with a reason other than 0");
      session.packetSize = session.point->FeedHeader(packet.payload);
      if (session.packetSize == 0) return protocolError("$C holds no usable ASF header");
      session.awaitingStreamChange = false;
      break;
    case 'E':
      if (packet.reason == wavetap::push::kEndOfEntry) {
        session.awaitingStreamChange = true;
        break;
      }
      host_.Log("push " + session.point->Name() + ": ended by the encoder");
      streaming_.clear();
      host_.EndSession(pushId);
      Close();
      return false;
    default:
      break;
  }
  session.deadline = now + host_.Timers().idle;
  return true;
}

void PushReceiver::EndRequestBody(PushClock::time_point now) {
  if (PushSession* session = host_.FindSession(streaming_)) {
    session->streamingOn = nullptr;
    session->deadline = now + host_.Timers().inactivity;
    Answer(204, "Set-Cookie: push-id=" + session->pushId + "\r\n", false);
  }
  streaming_.clear();
  state_ = State::Head;
}

void PushReceiver::Answer(int status, const std::string& fields, bool close) {
  std::string response = "HTTP/1.1 " + std::to_string(status) + " " + StatusText(status) + "\r\n" + kServerField +
                         DateField() + "Pragma: no-cache, timeout=60000\r\nCache-Control: no-cache\r\n" + fields +
                         "Content-Length: 0\r\n" + (close ? "Connection: close\r\n" : "") + "\r\n";
  out_ += response;
  if (close) {
    state_ = State::Closing;
    if (!streaming_.empty()) {
      if (PushSession* session = host_.FindSession(streaming_); session && session->streamingOn == this)
        session->streamingOn = nullptr;
      streaming_.clear();
    }
  }
  Flush();
}

void PushReceiver::Refuse(int status, const std::string& why) {
  host_.Log("push " + request_.Target() + ": " + std::to_string(status) + ", " + why);
  Answer(status, "", true);
}

void PushReceiver::Abort(int status, const std::string& why) {
  if (fd_ < 0) return;
  host_.Log("push " + request_.Target() + ": " + why);
  Answer(status, "", true);
}

void PushReceiver::OnWritable() { Flush(); }

void PushReceiver::Flush() {
  while (fd_ >= 0 && outSent_ < out_.size()) {
    const ssize_t sent = ::send(fd_, out_.data() + outSent_, out_.size() - outSent_, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) Close();
      return;
    }
    outSent_ += static_cast<std::size_t>(sent);
  }
  if (fd_ >= 0 && outSent_ == out_.size()) {
    out_.clear();
    outSent_ = 0;
    // The answer is out: end our side, and let the encoder close (no reset eats the answer).
    if (state_ == State::Closing) ::shutdown(fd_, SHUT_WR);
  }
}

}  // namespace sim
