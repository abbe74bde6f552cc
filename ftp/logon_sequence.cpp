#include "ftp/logon_sequence.h"

#include <array>
#include <vector>

namespace nsFTP {

namespace {

const std::array<std::vector<LogonStep>, kFirewallTypeCount>& LogonTable() {
    static const std::array<std::vector<LogonStep>, kFirewallTypeCount> table{{
        {{0, -2, 3}, {1, -2, 6}, {2, -2, -1}},
        {{3, 6, 3}, {4, 6, -1}, {5, -1, 9}, {0, -2, 12}, {1, -2, 15}, {2, -2, -1}},
        {{3, 6, 3}, {4, 6, -1}, {6, -2, 9}, {1, -2, 12}, {2, -2, -1}},
        {{7, 3, 3}, {0, -2, 6}, {1, -2, 9}, {2, -2, -1}},
        {{3, 6, 3}, {4, 6, -1}, {0, -2, 9}, {1, -2, 12}, {2, -2, -1}},
        {{6, -2, 3}, {1, -2, 6}, {2, -2, -1}},
        {{8, 6, 3}, {4, 6, -1}, {0, -2, 9}, {1, -2, 12}, {2, -2, -1}},
        {{9, -1, 3}, {1, -2, 6}, {2, -2, -1}},
        {{10, -2, 3}, {11, -2, 6}, {2, -2, -1}},
    }};
    return table;
}

const QString kMask = QStringLiteral("****");

}  // namespace

bool LogonStepAt(int firewallType, int position, LogonStep* step) {
    if (firewallType < 0 || firewallType >= kFirewallTypeCount) return false;
    const auto& row = LogonTable()[static_cast<size_t>(firewallType)];
    if (position < 0 || position % 3 != 0 || static_cast<size_t>(position / 3) >= row.size()) return false;
    *step = row[static_cast<size_t>(position / 3)];
    return true;
}

QString LogonCommandText(int command, const CLogonInfo& logon, const QString& hostText, bool masked) {
    const QString& password = masked ? kMask : logon.password;
    const QString& firewallPassword = masked ? kMask : logon.firewallPassword;
    switch (command) {
    case 0: return QStringLiteral("USER ") + logon.user;
    case 1: return QStringLiteral("PASS ") + password;
    case 2: return QStringLiteral("ACCT ") + logon.account;
    case 3: return QStringLiteral("USER ") + logon.firewallUser;
    case 4: return QStringLiteral("PASS ") + firewallPassword;
    case 5: return QStringLiteral("SITE ") + hostText;
    case 6: return QStringLiteral("USER ") + logon.user + QLatin1Char('@') + hostText;
    case 7: return QStringLiteral("OPEN ") + hostText;
    case 8: return QStringLiteral("USER ") + logon.firewallUser + QLatin1Char('@') + hostText;
    case 9: return QStringLiteral("USER ") + logon.user + QLatin1Char('@') + hostText + QLatin1Char(' ') + logon.firewallUser;
    case 10: return QStringLiteral("USER ") + logon.user + QLatin1Char('@') + logon.firewallUser + QLatin1Char('@') + hostText;
    case 11: return masked ? QStringLiteral("PASS ") + kMask
                           : QStringLiteral("PASS ") + logon.password + QLatin1Char('@') + logon.firewallPassword;
    default: return {};
    }
}

}  // namespace nsFTP
