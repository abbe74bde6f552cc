#include "wavetap/stream/http_request.h"

#include <algorithm>

namespace wavetap {

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool IsTokenChar(char c)
{
    return c > 32 && c < 127 && c != ':' && c != '(' && c != ')' && c != '<' && c != '>' && c != '@' &&
           c != ',' && c != ';' && c != '\\' && c != '"' && c != '/' && c != '[' && c != ']' && c != '?' &&
           c != '=' && c != '{' && c != '}';
}

bool HasControlChars(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u < 32 && c != '\t') || u == 127;
    });
}

// Finds the blank line ending the head, looking from `from` on; accepts bare LF line ends too.
std::optional<std::size_t> HeadEnd(const std::string& raw, std::size_t from)
{
    for (std::size_t i = from; i < raw.size(); ++i) {
        if (raw[i] != '\n')
            continue;
        if (i + 1 < raw.size() && raw[i + 1] == '\n')
            return i + 2;
        if (i + 2 < raw.size() && raw[i + 1] == '\r' && raw[i + 2] == '\n')
            return i + 3;
    }
    return std::nullopt;
}

// No method is longer than this; the start of a request is checked this far.
constexpr std::size_t kMethodCheckSize = 32;

// Whether the bytes so far can begin a request line: a method of token characters, ended by
// a space. A text line ended early is malformed but still HTTP-like (answered 400).
bool CanBeginRequest(std::string_view start)
{
    for (const char c : start) {
        if (c == ' ' || c == '\r' || c == '\n')
            return true;
        if (!IsTokenChar(c))
            return false;
    }
    return true;
}

}  // namespace

HttpRequest::State HttpRequest::Feed(const char* data, std::size_t size)
{
    if (state_ != State::Incomplete)
        return state_;
    const std::size_t take = std::min(size, kMaxHeadSize + 4 - raw_.size());
    // Resume the search just before the new bytes, so a head sent in tiny pieces stays linear.
    const std::size_t from = raw_.size() < 3 ? 0 : raw_.size() - 3;
    const bool inMethod = raw_.size() < kMethodCheckSize;
    raw_.append(data, take);
    // Another protocol is told apart from the first bytes, before any head is complete.
    if (inMethod && !CanBeginRequest(std::string_view(raw_).substr(0, std::min(raw_.size(), kMethodCheckSize)))) {
        state_ = State::NotHttp;
        return state_;
    }
    const std::optional<std::size_t> end = HeadEnd(raw_, from);
    if (!end) {
        if (raw_.size() > kMaxHeadSize)
            state_ = State::Malformed;
        return state_;
    }
    if (*end > kMaxHeadSize) {
        state_ = State::Malformed;
        return state_;
    }
    state_ = ParseHead(std::string_view(raw_).substr(0, *end)) ? State::Complete : State::Malformed;
    raw_.clear();
    raw_.shrink_to_fit();
    return state_;
}

bool HttpRequest::ParseRequestLine(std::string_view line)
{
    const std::size_t first = line.find(' ');
    const std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
    if (second == std::string_view::npos || line.find(' ', second + 1) != std::string_view::npos)
        return false;
    method_ = line.substr(0, first);
    target_ = line.substr(first + 1, second - first - 1);
    version_ = line.substr(second + 1);
    const bool methodOk = !method_.empty() && std::all_of(method_.begin(), method_.end(), IsTokenChar);
    const bool versionOk = version_.size() == 8 && version_.compare(0, 7, "HTTP/1.") == 0 &&
                           version_[7] >= '0' && version_[7] <= '9';
    return methodOk && versionOk && !target_.empty();
}

bool HttpRequest::ParseHead(std::string_view head)
{
    bool firstLine = true;
    while (!head.empty()) {
        const std::size_t eol = std::min(head.find('\n'), head.size() - 1);
        std::string_view line = head.substr(0, eol + 1);
        head.remove_prefix(eol + 1);
        if (line.back() == '\n')
            line.remove_suffix(1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            break;
        if (HasControlChars(line))
            return false;
        if (firstLine) {
            if (!ParseRequestLine(line))
                return false;
            firstLine = false;
            continue;
        }
        if (line.front() == ' ' || line.front() == '\t') {
            // Folded continuation of the previous header.
            if (headers_.empty())
                return false;
            headers_.back().second.append(" ").append(Trim(line));
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0)
            return false;
        const std::string_view name = line.substr(0, colon);
        if (!std::all_of(name.begin(), name.end(), IsTokenChar))
            return false;
        headers_.emplace_back(std::string(name), std::string(Trim(line.substr(colon + 1))));
    }
    return !firstLine;
}

std::optional<std::string> HttpRequest::Header(std::string_view name) const
{
    for (const auto& [key, value] : headers_) {
        if (EqualsNoCase(key, name))
            return value;
    }
    return std::nullopt;
}

std::optional<std::string> HttpRequest::Pragma(std::string_view token) const
{
    for (const auto& [key, value] : headers_) {
        if (!EqualsNoCase(key, "Pragma"))
            continue;
        std::string_view rest = value;
        while (!rest.empty()) {
            // Split on commas outside double quotes.
            std::size_t end = 0;
            bool quoted = false;
            while (end < rest.size() && (quoted || rest[end] != ',')) {
                if (rest[end] == '"')
                    quoted = !quoted;
                ++end;
            }
            const std::string_view item = Trim(rest.substr(0, end));
            rest.remove_prefix(std::min(end + 1, rest.size()));
            const std::size_t equals = item.find('=');
            if (EqualsNoCase(Trim(item.substr(0, equals)), token))
                return equals == std::string_view::npos ? std::string() : std::string(Trim(item.substr(equals + 1)));
        }
    }
    return std::nullopt;
}

}  // namespace wavetap
