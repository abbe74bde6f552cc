#pragma once
// Where the FTP client writes its trace lines. The client binds it to ftp.txt; the
// recorder binds it to its own log and leaves out the line for a failed active connection.

#include <QString>

#include <functional>

namespace nsFTP {

struct FtpTrace {
    std::function<void(const QString&)> write;  // empty: no trace
    bool traceActiveConnectFailure = true;

    void operator()(const QString& line) const {
        if (write) write(line);
    }
};

}  // namespace nsFTP
