#pragma once
// The two requests of a push ([MS-WMHTTP] 2.2.2): push setup asks for the publishing
// point (and says whether the server may remove it at the end), push start carries the
// stream in its body. Both are HTTP/1.1 POSTs to the publishing point's path.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>

namespace wavetap::engine {

// The encoder's name and version on every request (major 9, minor 0).
inline constexpr char kPushUserAgent[] = "WMEncoder/9.0.0.3287";
// Length-Remaining of a push start when the stream's size is unknown (2^31 - 1).
inline constexpr std::int64_t kPushStartBodySize = 2147483647;

struct PushRequestTarget {
    QString host;
    int port = 80;
    QByteArray path;  // "/" and the publishing point, percent-encoded UTF-8
};

// "/point" for a publishing point name (a leading '/' is kept, not doubled).
QByteArray PublishingPointPath(const QString& publishingPoint);

QByteArray PushSetupRequest(const PushRequestTarget& target, const QString& pushId, const std::string& authorization,
                            bool autoDestroy);
QByteArray PushStartRequest(const PushRequestTarget& target, const QString& pushId, const std::string& authorization,
                            std::int64_t bodySize);

// Whether a Server field names a Windows Media server ("Cougar/..." or "Rex/...").
bool IsWindowsMediaServer(const std::string& serverField);

}  // namespace wavetap::engine
