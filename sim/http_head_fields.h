#pragma once
// Reading single header lines of an HTTP head, as both the request and the answer
// scanners of the front end need them.

#include <optional>
#include <string_view>

namespace sim {

// The value of `line` (without its CRLF) when it is a header named `lowerName`, trimmed.
std::optional<std::string_view> HeaderValue(std::string_view line, std::string_view lowerName);

// Whether `value` holds `lowerWord`, case ignored.
bool ContainsWord(std::string_view value, std::string_view lowerWord);

// A decimal Content-Length: nothing when empty, signed, not a number or too large.
std::optional<std::size_t> ContentLength(std::string_view value);

}  // namespace sim
