#pragma once
// Whether this machine has a network connection that can reach an address.

#include <QString>

namespace upkeep {

// A loopback host needs the loopback interface up; any other host needs an interface
// other than loopback that is up and running with an address. Hosts are not resolved.
bool HasConnectionFor(const QString& url);

}  // namespace upkeep
