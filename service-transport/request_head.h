#pragma once
// The head of a request: request line and header lines in the transport's fixed order.

#include <QByteArray>

#include "service-transport/http_url.h"

namespace transport {

// "POST target HTTP/1.1", Content-Length (when the body is not empty), Content-Type,
// the extra header lines as given, Host (with ":port" unless the port is 80),
// User-Agent, blank line.
QByteArray BuildRequestHead(const HttpUrl& url, qsizetype bodyLength, const QByteArray& extraHeaders);

}  // namespace transport
