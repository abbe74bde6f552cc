#pragma once
// The logon table: for each firewall type, which command to send next and where a 2xx or
// 3xx reply leads. Login walks it from position 0 until it reaches kSignedIn or kLogonError.

#include "ftp/logon_info.h"

#include <QString>

namespace nsFTP {

constexpr int kSignedIn = -2;
constexpr int kLogonError = -1;

struct LogonStep {
    int command;      // 0..11, see LogonCommandText
    int after2xx;     // next position (counted in table entries, three per step)
    int after3xx;
};

// The step at `position` of the row for firewallType; false when there is none.
bool LogonStepAt(int firewallType, int position, LogonStep* step);

// One logon command line. hostText is the server's host, with ":port" when not 21.
// With masked set, passwords are replaced by "****" (for the trace).
QString LogonCommandText(int command, const CLogonInfo& logon, const QString& hostText, bool masked);

}  // namespace nsFTP
