#include "service-transport/http_url.h"

#include <algorithm>
#include <cctype>

namespace transport {

namespace {

bool IsTargetText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u > 32 && u < 127;
    });
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::optional<int> ParsePort(std::string_view text) {
    if (text.empty() || text.size() > 5) {
        return std::nullopt;
    }
    int port = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

}  // namespace

std::optional<HttpUrl> ParseHttpUrl(std::string_view url) {
    constexpr std::string_view kScheme = "http://";
    if (url.size() < kScheme.size() || !EqualsNoCase(url.substr(0, kScheme.size()), kScheme)) {
        return std::nullopt;
    }
    std::string_view rest = url.substr(kScheme.size());
    if (!IsTargetText(rest)) {
        return std::nullopt;
    }
    const std::size_t authorityEnd = rest.find_first_of("/?");
    const std::string_view authority = rest.substr(0, authorityEnd);
    std::string_view target = authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);
    if (authority.empty() || authority.find('@') != std::string_view::npos) {
        return std::nullopt;
    }

    HttpUrl result;
    std::string_view host = authority;
    if (authority.front() == '[') {  // IPv6 literal
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        host = authority.substr(1, close - 1);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') {
                return std::nullopt;
            }
            const auto port = ParsePort(after.substr(1));
            if (!port) {
                return std::nullopt;
            }
            result.port = *port;
        }
    } else {
        const std::size_t colon = authority.find(':');
        if (colon != std::string_view::npos) {
            host = authority.substr(0, colon);
            const auto port = ParsePort(authority.substr(colon + 1));
            if (!port) {
                return std::nullopt;
            }
            result.port = *port;
        }
    }
    if (host.empty()) {
        return std::nullopt;
    }
    result.host = QByteArray(host.data(), static_cast<qsizetype>(host.size()));
    if (target.empty()) {
        result.pathAndQuery = "/";
    } else if (target.front() == '?') {
        result.pathAndQuery = "/" + QByteArray(target.data(), static_cast<qsizetype>(target.size()));
    } else {
        result.pathAndQuery = QByteArray(target.data(), static_cast<qsizetype>(target.size()));
    }
    const qsizetype fragment = result.pathAndQuery.indexOf('#');
    if (fragment >= 0) {
        result.pathAndQuery.truncate(fragment);
    }
    return result;
}

std::optional<HttpUrl> ResolveLocation(const HttpUrl& current, std::string_view location) {
    if (!location.empty() && location.front() == '/' && (location.size() < 2 || location[1] != '/')) {
        if (!IsTargetText(location)) {
            return std::nullopt;
        }
        HttpUrl next = current;
        next.pathAndQuery = QByteArray(location.data(), static_cast<qsizetype>(location.size()));
        return next;
    }
    return ParseHttpUrl(location);
}

}  // namespace transport
