#pragma once
// This PC's IPv4 address, as sent with every startLive.

#include <QString>
#include <QStringList>

// The dotted IPv4 addresses of the interfaces that are up and not loopback, in interface
// order; when there are none, those the host name resolves to.
QStringList HostIpv4Addresses();

// The first address not beginning with "10." or "192"; when every one does, the last;
// empty for no addresses.
QString PickUserIp(const QStringList& addresses);
