#pragma once
// FTP client (RFC 959) over blocking sockets: sign-in through the firewall kinds of the
// logon table, directory commands, uploads with resume (SIZE + APPE) and progress
// messages, passive and active data connections, and a trace of every command sent.
// One object is used by one thread. Nothing thrown by the socket layer escapes.

#include "ftp/ftp_reply.h"
#include "ftp/ftp_trace.h"
#include "ftp/iblocking_socket.h"
#include "ftp/logon_info.h"
#include "ftp/representation.h"
#include "ftp/transfer_notification.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace nsFTP {

// Posted to the owner during transfers: wParam 0, lParam the percentage 1..100.
constexpr unsigned kFtpProgressMessage = 0x0400 + 1100;  // 2124

enum DataChannelCommand { LIST = 0, NLST = 1, RETR = 2, STOR = 3, STOU = 4, APPE = 5 };

class CFTPClient {
public:
    // The client owns the control socket and makes its data sockets from it.
    CFTPClient(std::unique_ptr<nsSocket::IBlockingSocket> controlSocket, int timeoutSeconds = 10,
               int bufferSize = 2048, int responseWaitMs = 0, FtpTrace trace = {});
    ~CFTPClient();
    CFTPClient(const CFTPClient&) = delete;
    CFTPClient& operator=(const CFTPClient&) = delete;

    // Connects and signs in. ownerWindow receives the progress messages; a non-zero
    // *abortFlag stops a running transfer.
    bool Login(const CLogonInfo& logonInfo, QObject* ownerWindow, const std::atomic<int>* abortFlag);
    // QUIT; 0, 1 or -1 by the reply (0 when not signed in).
    int Logout();
    // ABOR outside a transfer; during one the abort flag stops it.
    int Abort();

    void SetResumeMode(bool on) { resumeIfPossible = on; }
    bool IsConnected() const { return controlSocket->IsOpen(); }
    bool IsLoggedOn() const { return loggedOn && IsConnected(); }

    // Simple commands: 0 on a 2xx reply, 1 on 4xx/5xx, -1 otherwise (no reply, 1xx, 3xx).
    int MakeDirectory(const QString& path);
    int ChangeWorkingDirectory(const QString& path);
    // size is the number after the reply code (0 when there is none).
    int FileSize(const QString& path, long long& size);
    int SetRepresentation(const CRepresentation& representation);

    // Sends the local file; with resume on, appends what the server does not have yet.
    // True also when nothing had to be sent.
    bool UploadFile(const QString& localPath, const QString& remotePath, bool passive, bool storeUnique = false,
                    const CRepresentation& representation = CRepresentation(CRepresentation::Image));

    // Runs one data-channel command; `data` is the source (STOR, STOU, APPE) or the sink
    // (LIST, NLST, RETR). byteOffset > 0 sends REST first when resume is on.
    bool ExecuteDatachannelCommand(int command, const QString& path, const CRepresentation& representation,
                                   bool passive, long long byteOffset, ITransferNotification& data);

private:
    bool SendCommand(const QString& command, const QString& traceText = {});
    bool ReadReply(FtpReply* reply);
    int SimpleCommand(const QString& command, FtpReply* reply = nullptr);
    bool OpenControlConnection(const QString& host, std::uint16_t port);
    bool RunLogonSequence(const QString& hostText);
    bool OpenPassiveDataConnection(nsSocket::IBlockingSocket& data, const QString& commandLine, long long byteOffset);
    bool OpenActiveDataConnection(nsSocket::IBlockingSocket& data, const QString& commandLine, long long byteOffset);
    bool SendRestart(long long byteOffset);
    bool AcceptDataConnection(nsSocket::IBlockingSocket& listener, nsSocket::IBlockingSocket& data);
    bool SetUpDataConnection(nsSocket::IBlockingSocket& data, const QString& commandLine, bool passive,
                             long long byteOffset);
    bool TransferData(int command, nsSocket::IBlockingSocket& data, ITransferNotification& notification);
    bool SendData(nsSocket::IBlockingSocket& data, ITransferNotification& source);
    bool ReceiveData(nsSocket::IBlockingSocket& data, ITransferNotification& sink);
    // Traces why a transfer stopped early and, when the abort flag stopped it, sends ABOR.
    bool EndStoppedTransfer(const QString& failLine);
    bool AbortRequested() const { return abortFlag && abortFlag->load(std::memory_order_relaxed) != 0; }
    void PostProgress();
    int ProgressPercent() const;

    std::unique_ptr<nsSocket::IBlockingSocket> controlSocket;
    int timeoutSeconds;
    std::vector<char> transferBuffer;
    CReplyReader replyReader;
    FtpTrace trace;
    std::optional<CRepresentation> currentType;
    // While a data connection is set up, every reply and the accept must be done by then.
    CReplyReader::Deadline setupDeadline = CReplyReader::Deadline::max();
    bool transferInProgress = false;
    bool resumeIfPossible = true;
    CLogonInfo lastLogon;
    QPointer<QObject> ownerWindow;
    const std::atomic<int>* abortFlag = nullptr;
    bool loggedOn = false;

    // Progress of the running upload.
    long long bytesDone = 0;
    long long progressTotal = 0;
    bool progressInKiB = false;
    int lastPostedPercent = 0;
};

}  // namespace nsFTP
