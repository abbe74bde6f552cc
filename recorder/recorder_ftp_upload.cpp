#include "recorder/recorder_ftp_upload.h"

#include "client/shell/message_box.h"
#include "ftp/blocking_socket.h"
#include "ftp/ftp_client.h"
#include "recorder/recorder_globals.h"
#include "recorder/recorder_trace.h"
#include "recorder/upload_queue.h"

#include <QStringList>

namespace {

nsFTP::FtpTrace RecorderFtpTrace() {
    nsFTP::FtpTrace trace;
    trace.write = [](const QString& line) { RecorderTrace(line); };
    trace.traceActiveConnectFailure = false;
    return trace;
}

void SetStatus(const FtpUploadContext& context, const QString& text) {
    if (context.status) context.status(text);
}

// Walks the folders of `path` from the root: each is made when missing and entered.
// Returns the folder reached ("" for the root), or a null string when a step failed.
QString EnterFolders(nsFTP::CFTPClient& client, const QString& path) {
    QString built;
    for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
        built += u'/' + part;
        client.MakeDirectory(built);  // fails harmlessly when the folder is there
        if (client.ChangeWorkingDirectory(built) != 0) return QString();
    }
    return built.isNull() ? QStringLiteral("") : built;
}

}  // namespace

int UploadFile(const FtpUploadContext& context, const QString& localPath) {
    const QString fileName = UploadFileName(localPath);
    const FtpAccount& account = context.account;
    nsFTP::CFTPClient client(std::make_unique<nsSocket::CBlockingSocket>(), 10, 2048, 0, RecorderFtpTrace());

    nsFTP::CLogonInfo logon;
    logon.host = account.host;
    logon.port = static_cast<std::uint16_t>(account.port);
    logon.user = account.user;
    logon.password = account.pass;
    if (!client.Login(logon, context.owner, &Recorder().exitRequested)) {
        ShowMessage(QStringLiteral("登录FTP服务器失败"));
        return kFtpFailed;
    }

    int result = kFtpFailed;
    const QString folder = EnterFolders(client, account.path);
    if (!folder.isNull()) {
        // The account's path with the file name, without doubled separators.
        const QString remotePath = folder + u'/' + fileName;
        SetStatus(context, localPath + u'_' + remotePath.mid(1));
        if (context.uploadDone) *context.uploadDone = 0;
        const bool sent = client.UploadFile(localPath, remotePath, true);
        // The client returns when the transfer has ended, so the end needs no waiting
        // for here; the owner marks uploadDone when the last percentage reaches it.
        if (sent) {
            result = kFtpUploaded;
        } else if (Recorder().exitRequested) {
            result = kFtpPaused;
            SetStatus(context, QStringLiteral("暂停上传文件_") + localPath);
        }
    }
    client.Logout();
    return result;
}
