// An HTTP request head read from a viewer, collected across reads with a size bound.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace wavetap {

class HttpRequest {
public:
    // NotHttp: the first bytes cannot begin an HTTP request (another protocol, e.g. MMS over TCP).
    enum class State { Incomplete, Complete, Malformed, NotHttp };

    // A head larger than this without its blank line is refused.
    static constexpr std::size_t kMaxHeadSize = 16 * 1024;

    // Adds received bytes; bytes after the head are ignored.
    State Feed(const char* data, std::size_t size);
    State CurrentState() const { return state_; }

    const std::string& Method() const { return method_; }
    const std::string& Target() const { return target_; }
    const std::string& Version() const { return version_; }

    // The first header of that name (case-insensitive).
    std::optional<std::string> Header(std::string_view name) const;
    // The value of a token in any Pragma header ("xPlayStrm=1" gives "1", a bare token gives "");
    // tokens are comma-separated, names compared without regard to case.
    std::optional<std::string> Pragma(std::string_view token) const;

private:
    bool ParseHead(std::string_view head);
    bool ParseRequestLine(std::string_view line);

    State state_ = State::Incomplete;
    std::string raw_;
    std::string method_, target_, version_;
    std::vector<std::pair<std::string, std::string>> headers_;
};

}  // namespace wavetap
