// castora-ftp: uploads one file with the FTP client, printing each progress percentage.
//   castora-ftp --host H [--port P] --user U [--password W | --password-file FILE]
//               [--passive] [--resume] [--mkdir DIR] LOCAL REMOTE
// Without --password or --password-file the password comes from CASTORA_FTP_PASSWORD
// (a command line is readable by every local user; a file or the environment is not).
// Exit status: 0 uploaded, 1 sign-in or upload failed, 2 wrong arguments.

#include "client/shell/trace_file.h"
#include "ftp/blocking_socket.h"
#include "ftp/ftp_client.h"
#include "platform/messages.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>

namespace {

std::atomic<int> stopRequested{0};

void OnStopSignal(int) { stopRequested.store(1); }

// Prints each new percentage as the client's progress messages arrive.
class ProgressPrinter : public platform::MessageTarget {
protected:
    platform::LRESULT OnMessage(unsigned msg, platform::WPARAM, platform::LPARAM lParam) override {
        if (msg == nsFTP::kFtpProgressMessage && lParam != lastPercent) {
            lastPercent = lParam;
            std::printf("%d\n", static_cast<int>(lParam));
            std::fflush(stdout);
        }
        return 0;
    }

private:
    platform::LPARAM lastPercent = 0;
};

struct UploadRequest {
    nsFTP::CLogonInfo logon;
    bool passive = false;
    bool resume = false;
    QString directory;
    QString localPath;
    QString remotePath;
};

int RunUpload(const UploadRequest& request, QObject* progressOwner) {
    nsFTP::CFTPClient client(std::make_unique<nsSocket::CBlockingSocket>(), 10, 2048, 0, nsFTP::FtpTrace{AppendFtpTrace});
    if (!client.Login(request.logon, progressOwner, &stopRequested)) {
        std::fprintf(stderr, "castora-ftp: FTP login failed\n");
        return 1;
    }
    if (!request.directory.isEmpty()) {
        client.MakeDirectory(request.directory);  // may exist already
        if (client.ChangeWorkingDirectory(request.directory) != 0) {
            std::fprintf(stderr, "castora-ftp: cannot change to %s\n", qPrintable(request.directory));
            client.Logout();
            return 1;
        }
    }
    client.SetResumeMode(request.resume);
    const bool uploaded = client.UploadFile(request.localPath, request.remotePath, request.passive);
    client.Logout();
    if (!uploaded) std::fprintf(stderr, "castora-ftp: upload of %s failed\n", qPrintable(request.localPath));
    return uploaded ? 0 : 1;
}

// The password from --password, else the first line of --password-file, else
// CASTORA_FTP_PASSWORD. False (with the reason on stderr) when none gives one.
bool ReadPassword(const QCommandLineParser& parser, const QCommandLineOption& onCommandLine,
                  const QCommandLineOption& fromFile, QString* password) {
    if (parser.isSet(onCommandLine)) {
        *password = parser.value(onCommandLine);
        return true;
    }
    if (parser.isSet(fromFile)) {
        QFile file(parser.value(fromFile));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "castora-ftp: cannot read the password file %s\n", qPrintable(file.fileName()));
            return false;
        }
        QByteArray line = file.readLine(4096);
        while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
        *password = QString::fromUtf8(line);
        return true;
    }
    if (qEnvironmentVariableIsSet("CASTORA_FTP_PASSWORD")) {
        *password = qEnvironmentVariable("CASTORA_FTP_PASSWORD");
        return true;
    }
    std::fprintf(stderr, "castora-ftp: no password: give --password-file FILE or set CASTORA_FTP_PASSWORD\n");
    return false;
}

bool ParseArguments(const QCoreApplication& app, UploadRequest* request) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Uploads LOCAL to REMOTE on an FTP server."));
    parser.addHelpOption();
    const QCommandLineOption host(QStringLiteral("host"), QStringLiteral("Server host."), QStringLiteral("H"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Server port (21)."), QStringLiteral("P"), QStringLiteral("21"));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("User name."), QStringLiteral("U"));
    const QCommandLineOption password(QStringLiteral("password"),
                                      QStringLiteral("Password (visible to other users; prefer the next two)."),
                                      QStringLiteral("W"));
    const QCommandLineOption passwordFile(QStringLiteral("password-file"),
                                          QStringLiteral("File whose first line is the password."), QStringLiteral("FILE"));
    const QCommandLineOption passive(QStringLiteral("passive"), QStringLiteral("Passive data connections."));
    const QCommandLineOption resume(QStringLiteral("resume"), QStringLiteral("Append to a partial remote file."));
    const QCommandLineOption mkdir(QStringLiteral("mkdir"), QStringLiteral("Create and enter DIR first."), QStringLiteral("DIR"));
    parser.addOptions({host, port, user, password, passwordFile, passive, resume, mkdir});
    parser.addPositionalArgument(QStringLiteral("LOCAL"), QStringLiteral("Local file."));
    parser.addPositionalArgument(QStringLiteral("REMOTE"), QStringLiteral("Remote path."));
    parser.process(app);

    bool portOk = false;
    const uint portNumber = parser.value(port).toUInt(&portOk);
    QString secret;
    const bool havePassword = ReadPassword(parser, password, passwordFile, &secret);
    if (!parser.isSet(host) || !parser.isSet(user) || !havePassword || parser.positionalArguments().size() != 2 ||
        !portOk || portNumber == 0 || portNumber > 65535) {
        std::fprintf(stderr, "%s", qPrintable(parser.helpText()));
        return false;
    }
    request->logon.host = parser.value(host);
    request->logon.port = static_cast<std::uint16_t>(portNumber);
    request->logon.user = parser.value(user);
    request->logon.password = secret;
    request->passive = parser.isSet(passive);
    request->resume = parser.isSet(resume);
    request->directory = parser.value(mkdir);
    request->localPath = parser.positionalArguments().at(0);
    request->remotePath = parser.positionalArguments().at(1);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    UploadRequest request;
    if (!ParseArguments(app, &request)) return 2;

    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);

    ProgressPrinter printer;
    int status = 1;
    // The client runs on its own thread so this one can receive its progress messages.
    std::unique_ptr<QThread> worker(QThread::create([&] { status = RunUpload(request, &printer); }));
    QObject::connect(worker.get(), &QThread::finished, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    worker->start();
    app.exec();
    worker->wait();
    return status;
}
