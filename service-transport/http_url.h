#pragma once
// Absolute http URLs as the transport uses them: host, port (80 when none), and the
// path with its query, sent as the request target.

#include <QByteArray>

#include <optional>
#include <string_view>

namespace transport {

struct HttpUrl {
    QByteArray host;
    int port = 80;
    QByteArray pathAndQuery = "/";
};

// Parses "http://host[:port][/path][?query]". Anything else (other schemes, user
// information, an empty host, a bad port, spaces or control characters) fails.
std::optional<HttpUrl> ParseHttpUrl(std::string_view url);

// Resolves a redirect's Location against the current address: an absolute http URL,
// or a path starting with "/" on the same host and port.
std::optional<HttpUrl> ResolveLocation(const HttpUrl& current, std::string_view location);

}  // namespace transport
