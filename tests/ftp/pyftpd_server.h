#pragma once
// A real FTP server (Debian's pyftpdlib) on a free loopback port, rooted in a
// temporary folder, for the life of the object.

#include "ftp/logon_info.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>

namespace ftptest {

class PyFtpdServer {
public:
    struct Options {
        qint64 dropAfter = 0;  // cut the first upload's data connection after this many bytes
        qint64 readLimit = 0;  // bytes per second accepted on uploads (0: no limit)
    };

    explicit PyFtpdServer(Options options);
    PyFtpdServer() : PyFtpdServer(Options{}) {}
    ~PyFtpdServer();

    bool IsRunning() const { return port != 0; }
    std::uint16_t Port() const { return port; }
    // The server's root folder (the account's "/").
    QString Root() const { return root.path(); }
    // Every command line the server received so far.
    QStringList Commands() const;
    nsFTP::CLogonInfo Logon() const;

    static QString User() { return QStringLiteral("castora"); }
    static QString Password() { return QStringLiteral("Pw-7f3a9c1e"); }

private:
    QTemporaryDir root;
    QTemporaryDir work;
    QProcess process;
    std::uint16_t port = 0;
};

}  // namespace ftptest
