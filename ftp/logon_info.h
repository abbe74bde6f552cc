#pragma once
// What Login needs to reach and sign in to an FTP server, optionally through a firewall.

#include <QString>

#include <cstdint>

namespace nsFTP {

// How the firewall in front of the server expects to be addressed (rows of the logon table).
enum FirewallType : int {
    kNoFirewall = 0,
    kSiteHostname = 1,
    kUserAfterLogon = 2,
    kProxyOpen = 3,
    kTransparent = 4,
    kUserWithNoLogon = 5,
    kUserFireIdAtHost = 6,
    kUserRemoteIdAtHostFireId = 7,
    kUserRemoteIdAtFireIdAtHost = 8,
};
constexpr int kFirewallTypeCount = 9;

struct CLogonInfo {
    QString host;
    std::uint16_t port = 21;
    QString user = QStringLiteral("anonymous");
    QString password;
    QString account;
    QString firewallHost;
    QString firewallUser;
    QString firewallPassword;
    std::uint16_t firewallPort = 21;
    int firewallType = kNoFirewall;
};

}  // namespace nsFTP
