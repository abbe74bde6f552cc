#include "sim/http_head_fields.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace sim {

std::optional<HeadLines> SplitHead(std::string_view received) {
  const std::size_t end = received.find("\r\n\r\n");
  if (end == std::string_view::npos) return std::nullopt;
  HeadLines lines;
  lines.headBytes = end + 4;
  std::string_view rest = received.substr(0, end + 2);
  const std::size_t firstEnd = rest.find("\r\n");
  lines.first = rest.substr(0, firstEnd);
  rest.remove_prefix(firstEnd + 2);
  while (!rest.empty()) {
    const std::size_t lineEnd = rest.find("\r\n");
    lines.fields.push_back(rest.substr(0, lineEnd));
    rest.remove_prefix(lineEnd + 2);
  }
  return lines;
}

std::optional<std::string_view> HeaderValue(std::string_view line, std::string_view lowerName) {
  if (line.size() <= lowerName.size() || line[lowerName.size()] != ':') return std::nullopt;
  if (!std::equal(lowerName.begin(), lowerName.end(), line.begin(),
                  [](char a, char b) { return std::tolower(static_cast<unsigned char>(b)) == a; }))
    return std::nullopt;
  std::string_view value = line.substr(lowerName.size() + 1);
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) value.remove_suffix(1);
  return value;
}

bool ContainsWord(std::string_view value, std::string_view lowerWord) {
  std::string lower(value);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower.find(lowerWord) != std::string::npos;
}

std::optional<std::size_t> ContentLength(std::string_view value) {
  if (value.empty() || value.size() > 18 ||
      !std::all_of(value.begin(), value.end(), [](unsigned char c) { return std::isdigit(c); }))
    return std::nullopt;
  return static_cast<std::size_t>(std::stoull(std::string(value)));
}

bool TakeFramingField(std::string_view line, BodyFraming& framing) {
  if (const auto value = HeaderValue(line, "content-length")) {
    framing.contentLength = ContentLength(*value);
    framing.malformed = framing.malformed || !framing.contentLength;
    return true;
  }
  if (const auto coding = HeaderValue(line, "transfer-encoding")) {
    framing.chunked = ContainsWord(*coding, "chunked");
    return true;
  }
  return false;
}

}  // namespace sim
