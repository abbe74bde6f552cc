#pragma once
// Reading single header lines of an HTTP head, as the front end's request scanner needs them.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace sim {

// A whole head cut into its first line and its header lines, CRLFs left off.
struct HeadLines {
  std::size_t headBytes = 0;  // up to and including the blank line
  std::string_view first;
  std::vector<std::string_view> fields;
};

// Nothing until `received` holds a whole head.
std::optional<HeadLines> SplitHead(std::string_view received);

// The value of `line` (without its CRLF) when it is a header named `lowerName`, trimmed.
std::optional<std::string_view> HeaderValue(std::string_view line, std::string_view lowerName);

// Whether `value` holds `lowerWord`, case ignored.
bool ContainsWord(std::string_view value, std::string_view lowerWord);

// A decimal Content-Length: nothing when empty, signed, not a number or too large.
std::optional<std::size_t> ContentLength(std::string_view value);

// How a head frames its body, from its Content-Length and Transfer-Encoding lines.
struct BodyFraming {
  std::optional<std::size_t> contentLength;
  bool chunked = false;
  bool malformed = false;  // a Content-Length that is not a plain decimal
};

// Takes `line` into `framing` when it is one of the framing headers; false otherwise.
bool TakeFramingField(std::string_view line, BodyFraming& framing);

}  // namespace sim
