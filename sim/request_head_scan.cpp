#include "sim/request_head_scan.h"

#include <algorithm>
#include <cctype>

namespace sim {
namespace {

bool StartsWithName(std::string_view line, std::string_view name) {
  if (line.size() <= name.size() || line[name.size()] != ':') return false;
  return std::equal(name.begin(), name.end(), line.begin(),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(b)) == a; });
}

std::string_view Value(std::string_view line, std::size_t nameSize) {
  std::string_view value = line.substr(nameSize + 1);
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) value.remove_suffix(1);
  return value;
}

bool ContainsWord(std::string_view value, std::string_view word) {
  std::string lower(value);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower.find(word) != std::string::npos;
}

}  // namespace

std::optional<ScannedHead> ScanRequestHead(std::string_view received) {
  const std::size_t end = received.find("\r\n\r\n");
  if (end == std::string_view::npos) return std::nullopt;
  ScannedHead head;
  head.headBytes = end + 4;
  std::string_view rest = received.substr(0, end + 2);
  const std::size_t firstEnd = rest.find("\r\n");
  const std::string_view requestLine = rest.substr(0, firstEnd);
  const std::size_t space1 = requestLine.find(' ');
  const std::size_t space2 = space1 == std::string_view::npos ? space1 : requestLine.find(' ', space1 + 1);
  if (space1 == 0 || space2 == std::string_view::npos || requestLine.substr(space2 + 1).rfind("HTTP/", 0) != 0) {
    head.malformed = true;
    return head;
  }
  head.method = std::string(requestLine.substr(0, space1));
  head.target = std::string(requestLine.substr(space1 + 1, space2 - space1 - 1));
  head.forwardHead = std::string(requestLine) + "\r\n";
  rest.remove_prefix(firstEnd + 2);
  while (!rest.empty()) {
    const std::size_t lineEnd = rest.find("\r\n");
    const std::string_view line = rest.substr(0, lineEnd);
    rest.remove_prefix(lineEnd + 2);
    if (StartsWithName(line, "content-length")) {
      const std::string_view value = Value(line, 14);
      if (value.empty() || value.size() > 18 ||
          !std::all_of(value.begin(), value.end(), [](unsigned char c) { return std::isdigit(c); })) {
        head.malformed = true;
        return head;
      }
      head.contentLength = std::stoull(std::string(value));
    } else if (StartsWithName(line, "transfer-encoding")) {
      head.chunked = ContainsWord(Value(line, 17), "chunked");
    } else if (StartsWithName(line, "expect")) {
      head.expectsContinue = ContainsWord(Value(line, 6), "100-continue");
      continue;
    } else if (StartsWithName(line, "connection") || StartsWithName(line, "keep-alive")) {
      continue;
    }
    head.forwardHead.append(line).append("\r\n");
  }
  head.forwardHead += "Connection: close\r\n\r\n";
  return head;
}

}  // namespace sim
