#include "wavetap/stream/http_response_head.h"

#include <algorithm>
#include <cctype>

namespace wavetap::http {

namespace {

bool SameNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view Stripped(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::size_t ResponseHead::Feed(const char* data, std::size_t size)
{
    if (state_ != State::Incomplete)
        return 0;
    const std::size_t before = raw_.size();
    raw_.append(data, std::min(size, kMaxHeadSize + 4 - before));
    // The head ends at the first empty line (CRLF CRLF, or bare LF LF).
    std::size_t end = std::string::npos;
    for (std::size_t i = before < 3 ? 0 : before - 3; i < raw_.size(); ++i) {
        if (raw_[i] != '\n')
            continue;
        if (i + 1 < raw_.size() && raw_[i + 1] == '\n') {
            end = i + 2;
            break;
        }
        if (i + 2 < raw_.size() && raw_[i + 1] == '\r' && raw_[i + 2] == '\n') {
            end = i + 3;
            break;
        }
    }
    if (end == std::string::npos) {
        if (raw_.size() > kMaxHeadSize)
            state_ = State::Malformed;
        return raw_.size() - before;
    }
    state_ = end <= kMaxHeadSize && Parse(std::string_view(raw_).substr(0, end)) ? State::Complete : State::Malformed;
    const std::size_t used = end - before;
    raw_.clear();
    return used;
}

bool ResponseHead::Parse(std::string_view head)
{
    std::vector<std::string_view> lines;
    while (!head.empty()) {
        std::size_t eol = head.find('\n');
        if (eol == std::string_view::npos)
            eol = head.size();
        std::string_view line = head.substr(0, eol);
        head.remove_prefix(std::min(eol + 1, head.size()));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            break;
        lines.push_back(line);
    }
    if (lines.empty())
        return false;
    // "HTTP/1.x NNN reason"
    const std::string_view status = lines.front();
    if (status.size() < 12 || status.substr(0, 7) != "HTTP/1." || status[8] != ' ' ||
        !std::all_of(status.begin() + 9, status.begin() + 12, [](char c) { return c >= '0' && c <= '9'; }) ||
        (status.size() > 12 && status[12] != ' '))
        return false;
    status_ = (status[9] - '0') * 100 + (status[10] - '0') * 10 + (status[11] - '0');
    reason_ = status.size() > 13 ? std::string(status.substr(13)) : std::string();
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.front() == ' ' || line.front() == '\t') {
            if (fields_.empty())
                return false;
            fields_.back().second += " " + std::string(Stripped(line));
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0)
            return false;
        fields_.emplace_back(std::string(Stripped(line.substr(0, colon))), std::string(Stripped(line.substr(colon + 1))));
    }
    return true;
}

std::optional<std::string> ResponseHead::Field(std::string_view name) const
{
    for (const auto& [key, value] : fields_) {
        if (SameNoCase(key, name))
            return value;
    }
    return std::nullopt;
}

std::vector<std::string> ResponseHead::Fields(std::string_view name) const
{
    std::vector<std::string> values;
    for (const auto& [key, value] : fields_) {
        if (SameNoCase(key, name))
            values.push_back(value);
    }
    return values;
}

std::optional<long long> ResponseHead::ContentLength() const
{
    const std::optional<std::string> value = Field("Content-Length");
    if (!value || value->empty() || value->size() > 18 ||
        !std::all_of(value->begin(), value->end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return std::stoll(*value);
}

std::optional<std::string> ResponseHead::Cookie(std::string_view name) const
{
    for (const std::string& value : Fields("Set-Cookie")) {
        // "name=value; attributes": only the first pair names the cookie.
        const std::string_view pair = Stripped(std::string_view(value).substr(0, value.find(';')));
        const std::size_t equals = pair.find('=');
        if (equals != std::string_view::npos && SameNoCase(Stripped(pair.substr(0, equals)), name))
            return std::string(Stripped(pair.substr(equals + 1)));
    }
    return std::nullopt;
}

}  // namespace wavetap::http
