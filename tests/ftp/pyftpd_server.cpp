#include "pyftpd_server.h"

#include <QFile>

namespace ftptest {

PyFtpdServer::PyFtpdServer(Options options) {
    QStringList arguments{QStringLiteral(CASTORA_SOURCE_DIR "/tests/ftp/ftp_server.py"),
                          QStringLiteral("--root"), root.path(),
                          QStringLiteral("--user"), User(),
                          QStringLiteral("--password"), Password(),
                          QStringLiteral("--log"), work.filePath(QStringLiteral("commands.txt"))};
    if (options.dropAfter > 0) arguments << QStringLiteral("--drop-after") << QString::number(options.dropAfter);
    if (options.readLimit > 0) arguments << QStringLiteral("--read-limit") << QString::number(options.readLimit);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Debian's interpreter has pyftpdlib; another python3 first on PATH may not.
    process.start(QStringLiteral("/usr/bin/python3"), arguments);
    if (!process.waitForStarted(10000)) return;
    while (process.waitForReadyRead(10000)) {
        while (process.canReadLine()) {
            const QByteArray line = process.readLine().trimmed();
            if (line.startsWith("PORT ")) {
                port = static_cast<std::uint16_t>(line.mid(5).toUInt());
                return;
            }
        }
    }
}

PyFtpdServer::~PyFtpdServer() {
    if (process.state() == QProcess::NotRunning) return;
    process.closeWriteChannel();  // the server ends when its input closes
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

QStringList PyFtpdServer::Commands() const {
    QFile log(work.filePath(QStringLiteral("commands.txt")));
    if (!log.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

nsFTP::CLogonInfo PyFtpdServer::Logon() const {
    nsFTP::CLogonInfo logon;
    logon.host = QStringLiteral("127.0.0.1");
    logon.port = port;
    logon.user = User();
    logon.password = Password();
    return logon;
}

}  // namespace ftptest
