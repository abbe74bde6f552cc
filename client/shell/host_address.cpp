#include "client/shell/host_address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QString Dotted(const sockaddr* address) {
    char text[INET_ADDRSTRLEN] = {};
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
    if (!inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text)) return {};
    return QString::fromLatin1(text);
}

QStringList InterfaceAddresses() {
    QStringList out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return out;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
        if (!(entry->ifa_flags & IFF_UP) || (entry->ifa_flags & IFF_LOOPBACK)) continue;
        const QString dotted = Dotted(entry->ifa_addr);
        if (!dotted.isEmpty() && !out.contains(dotted)) out << dotted;
    }
    freeifaddrs(list);
    return out;
}

QStringList HostNameAddresses() {
    QStringList out;
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return out;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &found) != 0) return out;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        const QString dotted = Dotted(entry->ai_addr);
        if (!dotted.isEmpty() && !out.contains(dotted)) out << dotted;
    }
    freeaddrinfo(found);
    return out;
}

}  // namespace

QStringList HostIpv4Addresses() {
    const QStringList interfaces = InterfaceAddresses();
    return interfaces.isEmpty() ? HostNameAddresses() : interfaces;
}

QString PickUserIp(const QStringList& addresses) {
    for (const QString& address : addresses) {
        if (!address.startsWith(QLatin1String("10.")) && !address.startsWith(QLatin1String("192"))) return address;
    }
    return addresses.isEmpty() ? QString() : addresses.last();
}
