#include "service-transport/request_head.h"

namespace transport {

QByteArray BuildRequestHead(const HttpUrl& url, qsizetype bodyLength, const QByteArray& extraHeaders) {
    QByteArray head;
    head.reserve(256 + extraHeaders.size());
    head.append("POST ").append(url.pathAndQuery).append(" HTTP/1.1\r\n");
    if (bodyLength > 0) {
        head.append("Content-Length: ").append(QByteArray::number(bodyLength)).append("\r\n");
    }
    head.append("Content-Type: text/xml; charset=utf-8\r\n");
    head.append(extraHeaders);
    const bool ipv6Literal = url.host.contains(':');
    const QByteArray host = ipv6Literal ? "[" + url.host + "]" : url.host;
    if (url.port == 80) {
        head.append("Host: ").append(host).append("\r\n");
    } else {
        head.append("Host: ").append(host).append(':').append(QByteArray::number(url.port)).append("\r\n");
    }
    head.append("User-Agent: Microsoft-ATL-Native/8.00\r\n\r\n");
    return head;
}

}  // namespace transport
