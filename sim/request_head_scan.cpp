#include "sim/request_head_scan.h"

#include "sim/http_head_fields.h"

namespace sim {

std::optional<ScannedHead> ScanRequestHead(std::string_view received) {
  const auto lines = SplitHead(received);
  if (!lines) return std::nullopt;
  ScannedHead head;
  head.headBytes = lines->headBytes;
  const std::string_view requestLine = lines->first;
  const std::size_t space1 = requestLine.find(' ');
  const std::size_t space2 = space1 == std::string_view::npos ? space1 : requestLine.find(' ', space1 + 1);
  if (space1 == 0 || space2 == std::string_view::npos || requestLine.substr(space2 + 1).rfind("HTTP/", 0) != 0) {
    head.malformed = true;
    return head;
  }
  head.method = std::string(requestLine.substr(0, space1));
  head.target = std::string(requestLine.substr(space1 + 1, space2 - space1 - 1));
  const bool http10 = requestLine.substr(space2 + 1) == "HTTP/1.0";
  bool asksClose = false;
  bool asksKeepAlive = false;
  head.forwardHead = std::string(requestLine) + "\r\n";
  BodyFraming framing;
  for (const std::string_view line : lines->fields) {
    if (TakeFramingField(line, framing)) {
      if (framing.malformed) {
        head.malformed = true;
        return head;
      }
      head.contentLength = framing.contentLength.value_or(0);
      head.chunked = framing.chunked;
    } else if (const auto expect = HeaderValue(line, "expect")) {
      head.expectsContinue = ContainsWord(*expect, "100-continue");
      continue;
    } else if (const auto connection = HeaderValue(line, "connection")) {
      asksClose = asksClose || ContainsWord(*connection, "close");
      asksKeepAlive = asksKeepAlive || ContainsWord(*connection, "keep-alive");
      continue;
    } else if (HeaderValue(line, "keep-alive")) {
      continue;
    }
    head.forwardHead.append(line).append("\r\n");
  }
  head.keepAlive = !asksClose && (!http10 || asksKeepAlive);
  head.forwardHead += "Connection: Keep-Alive\r\n\r\n";
  return head;
}

}  // namespace sim
