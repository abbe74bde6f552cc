#include "upkeep/connection_state.h"

#include <QUrl>

#include <ifaddrs.h>
#include <net/if.h>
#include <arpa/inet.h>
#include <netinet/in.h>

namespace upkeep {
namespace {

bool IsLoopbackHost(const QString& host) {
    if (host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0) return true;
    const QByteArray text = host.toLatin1();
    in_addr v4{};
    if (inet_pton(AF_INET, text.constData(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    return inet_pton(AF_INET6, text.constData(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

}  // namespace

bool HasConnectionFor(const QString& url) {
    QString host = QUrl(url, QUrl::TolerantMode).host();
    if (host.isEmpty()) host = QUrl(QStringLiteral("http://") + url, QUrl::TolerantMode).host();
    const bool loopback = IsLoopbackHost(host);

    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) return false;
    bool connected = false;
    for (const ifaddrs* i = interfaces; i && !connected; i = i->ifa_next) {
        if (!i->ifa_addr || (i->ifa_addr->sa_family != AF_INET && i->ifa_addr->sa_family != AF_INET6)) continue;
        const unsigned flags = i->ifa_flags;
        if (!(flags & IFF_UP) || !(flags & IFF_RUNNING)) continue;
        connected = loopback == ((flags & IFF_LOOPBACK) != 0);
    }
    freeifaddrs(interfaces);
    return connected;
}

}  // namespace upkeep
