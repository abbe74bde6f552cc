#include "engine/push_requests.h"

#include <QUrl>

namespace wavetap::engine {

namespace {

constexpr char kAutoDestroyOn[] = "AutoDestroy: 1\r\n";

QByteArray CommonHead(const PushRequestTarget& target, const char* contentType, const QString& pushId,
                      const std::string& authorization, std::int64_t contentLength)
{
    QByteArray head = "POST " + target.path + " HTTP/1.1\r\n";
    head += "Content-Type: " + QByteArray(contentType) + "\r\n";
    head += "X-Accept-Authentication: Digest, Basic\r\n";
    head += "User-Agent: " + QByteArray(kPushUserAgent) + "\r\n";
    head += "Host: " + target.host.toUtf8() + ":" + QByteArray::number(target.port) + "\r\n";
    head += "Content-Length: " + QByteArray::number(static_cast<qlonglong>(contentLength)) + "\r\n";
    head += "Cache-Control: no-cache\r\n";
    head += "Cookie: push-id=" + (pushId.isEmpty() ? QByteArray("0") : pushId.toUtf8()) + "\r\n";
    if (!authorization.empty())
        head += "Authorization: " + QByteArray::fromStdString(authorization) + "\r\n";
    return head + "\r\n";
}

}  // namespace

QByteArray PublishingPointPath(const QString& publishingPoint)
{
    QString point = publishingPoint;
    while (point.startsWith('/'))
        point.remove(0, 1);
    return "/" + QUrl::toPercentEncoding(point, "/");
}

QByteArray PushSetupRequest(const PushRequestTarget& target, const QString& pushId, const std::string& authorization,
                            bool autoDestroy)
{
    const QByteArray body = autoDestroy ? QByteArray(kAutoDestroyOn) : QByteArray();
    return CommonHead(target, "application/x-wms-pushsetup", pushId, authorization, body.size()) + body;
}

QByteArray PushStartRequest(const PushRequestTarget& target, const QString& pushId, const std::string& authorization,
                            std::int64_t bodySize)
{
    return CommonHead(target, "application/x-wms-pushstart", pushId, authorization, bodySize);
}

bool IsWindowsMediaServer(const std::string& serverField)
{
    return serverField.rfind("Cougar/", 0) == 0 || serverField.rfind("Rex/", 0) == 0;
}

}  // namespace wavetap::engine
