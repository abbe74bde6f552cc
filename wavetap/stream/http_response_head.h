// The head of an HTTP response (status line and header fields) as a push client reads
// it from a server, collected across reads with a size bound.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace wavetap::http {

class ResponseHead {
public:
    enum class State { Incomplete, Complete, Malformed };

    static constexpr std::size_t kMaxHeadSize = 16 * 1024;

    // Adds received bytes. Returns how many of them belong to the head (the rest is body).
    std::size_t Feed(const char* data, std::size_t size);
    State CurrentState() const { return state_; }

    int Status() const { return status_; }
    const std::string& Reason() const { return reason_; }
    // The first field of that name (case-insensitive), and every field of that name.
    std::optional<std::string> Field(std::string_view name) const;
    std::vector<std::string> Fields(std::string_view name) const;
    // The Content-Length field; nullopt when absent or not a number.
    std::optional<long long> ContentLength() const;
    // The value of a cookie set by a Set-Cookie field.
    std::optional<std::string> Cookie(std::string_view name) const;

private:
    bool Parse(std::string_view head);

    State state_ = State::Incomplete;
    std::string raw_;
    int status_ = 0;
    std::string reason_;
    std::vector<std::pair<std::string, std::string>> fields_;
};

}  // namespace wavetap::http
