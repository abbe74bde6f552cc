#include "drm/cli/licence_client.h"

#include "drm/licence_answer.h"
#include "service-transport/http_response_reader.h"
#include "service-transport/http_url.h"
#include "service-transport/tcp_connection.h"

#include <QUrl>

namespace drm {

namespace {

constexpr int kTimeoutMs = 15000;
constexpr int kMaxReasonLength = 200;

// The first line of a refusal, printable characters only.
QString ReasonText(const QByteArray& body) {
    QString text = QString::fromUtf8(body.left(kMaxReasonLength)).section(u'\n', 0, 0).trimmed();
    text.removeIf([](QChar c) { return c.unicode() < 32 || c.unicode() == 127; });
    return text;
}

}  // namespace

HRESULT FetchLicence(const QString& licenceUrl, const QByteArray& cookieHeader, const QString& keyId,
                     QByteArray* contentKey, QString* reason) {
    const auto url = transport::ParseHttpUrl(licenceUrl.toStdString());
    if (!url) {
        *reason = "the licence address is not an http address: " + licenceUrl;
        return NS_E_DRM_LICENCE_UNREACHABLE;
    }
    const QByteArray target = url->pathAndQuery + (url->pathAndQuery.contains('?') ? "&" : "?") + "kid=" +
                              QUrl::toPercentEncoding(keyId);
    QByteArray request = "GET " + target + " HTTP/1.1\r\nHost: " + url->host;
    if (url->port != 80) request += ":" + QByteArray::number(url->port);
    request += "\r\n" + cookieHeader + "User-Agent: castora-drm\r\nConnection: close\r\n\r\n";

    transport::TcpConnection connection;
    if (!connection.Connect(url->host, url->port, kTimeoutMs) ||
        !connection.SendAll(request.constData(), static_cast<std::size_t>(request.size()), kTimeoutMs)) {
        *reason = "cannot reach the licence address " + licenceUrl;
        return NS_E_DRM_LICENCE_UNREACHABLE;
    }
    transport::HttpResponseReader reader;
    char buffer[8192];
    while (reader.CurrentState() == transport::HttpResponseReader::State::NeedMore) {
        const long received = connection.Receive(buffer, sizeof buffer, kTimeoutMs);
        if (received < 0) {
            *reason = "the licence address stopped answering";
            return NS_E_DRM_LICENCE_UNREACHABLE;
        }
        if (received == 0) reader.FinishAtClose();
        else reader.Feed(buffer, received);
    }
    if (reader.CurrentState() != transport::HttpResponseReader::State::Complete) {
        *reason = "the licence address did not answer with HTTP";
        return NS_E_DRM_INVALID_LICENCE;
    }
    if (reader.Status() != 200) {
        *reason = QString("licence refused (HTTP %1): %2").arg(reader.Status()).arg(ReasonText(reader.Body()));
        return NS_E_DRM_LICENCE_REFUSED;
    }
    if (!ReadLicence(reader.Body(), keyId, contentKey)) {
        *reason = "the licence address answered something that is not a licence for " + keyId;
        return NS_E_DRM_INVALID_LICENCE;
    }
    return S_OK;
}

}  // namespace drm
