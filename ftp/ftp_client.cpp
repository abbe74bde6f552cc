#include "ftp/ftp_client.h"

#include "ftp/logon_sequence.h"
#include "ftp/passive_reply.h"
#include "platform/code_page.h"
#include "platform/messages.h"

#include <QThread>

#include <arpa/inet.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>

namespace nsFTP {

using nsSocket::CBlockingSocketException;
using nsSocket::IBlockingSocket;
using nsSocket::SocketAddress;

namespace {

constexpr long long kKiBModeThreshold = 1048576;
constexpr int kMaxCommandBytes = 999;
constexpr int kSendBatchBytes = 256 * 1024;

const QString kLocalFileMissing = QStringLiteral("本地文件不存在");
const QString kFileSizeFailed = QStringLiteral("获取文件大小失败");
const QString kFileAlreadyThere = QStringLiteral("文件已经存在");
const QString kActiveConnectFailed = QStringLiteral("打开主动连接失败");
const QString kPassiveConnectFailed = QStringLiteral("打开被动连接失败");

QString AddressText(const SocketAddress& address) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return QString::fromLatin1(text);
}

QString CommandVerb(int command) {
    static const char* const verbs[] = {"LIST", "NLST", "RETR", "STOR", "STOU", "APPE"};
    return QString::fromLatin1(verbs[command]);
}

// 0 for a 2xx reply, 1 for 4xx/5xx, -1 for anything else.
int SimpleResult(const FtpReply& reply) {
    if (reply.IsPositiveCompletion()) return 0;
    if (reply.IsNegative()) return 1;
    return -1;
}

}  // namespace

CFTPClient::CFTPClient(std::unique_ptr<IBlockingSocket> controlSocket, int timeoutSeconds, int bufferSize,
                       int responseWaitMs, FtpTrace trace)
    : controlSocket(std::move(controlSocket)),
      timeoutSeconds(timeoutSeconds),
      transferBuffer(static_cast<size_t>(std::max(bufferSize, 2))),
      replyReader(bufferSize, timeoutSeconds, responseWaitMs),
      trace(std::move(trace)) {}

CFTPClient::~CFTPClient() {
    if (transferInProgress) Abort();
    if (IsConnected()) Logout();
}

bool CFTPClient::SendCommand(const QString& command, const QString& traceText) {
    if (!controlSocket->IsOpen()) return false;
    trace(traceText.isEmpty() ? command : traceText);
    // A line break inside a path would smuggle a second command to the server.
    if (command.contains(QLatin1Char('\r')) || command.contains(QLatin1Char('\n'))) {
        trace(QStringLiteral("command refused: it contains a line break"));
        return false;
    }
    const QByteArray line = platform::ToAnsi(command).left(kMaxCommandBytes) + "\r\n";
    try {
        controlSocket->Write(line.constData(), static_cast<int>(line.size()), timeoutSeconds);
        return true;
    } catch (const CBlockingSocketException& e) {
        trace(e.Text());
        controlSocket->Cleanup();
        return false;
    }
}

bool CFTPClient::ReadReply(FtpReply* reply) {
    if (!controlSocket->IsOpen()) return false;
    QString error;
    try {
        if (replyReader.ReadReply(*controlSocket, reply, &error, setupDeadline)) return true;
        trace(error);
    } catch (const CBlockingSocketException& e) {
        trace(e.Text());
    }
    // The connection is out of step with the server now; start afresh next time.
    controlSocket->Cleanup();
    return false;
}

int CFTPClient::SimpleCommand(const QString& command, FtpReply* reply) {
    FtpReply local;
    FtpReply* target = reply ? reply : &local;
    if (!SendCommand(command) || !ReadReply(target)) return -1;
    return SimpleResult(*target);
}

bool CFTPClient::OpenControlConnection(const QString& host, std::uint16_t port) {
    controlSocket->Cleanup();
    replyReader.Reset();
    currentType.reset();
    try {
        controlSocket->Create(SOCK_STREAM);
        controlSocket->Connect(controlSocket->GetHostByName(host, port));
        return true;
    } catch (const CBlockingSocketException& e) {
        trace(e.Text());
        controlSocket->Cleanup();
        return false;
    }
}

bool CFTPClient::RunLogonSequence(const QString& hostText) {
    int position = 0;
    for (;;) {
        LogonStep step;
        if (!LogonStepAt(lastLogon.firewallType, position, &step)) {
            trace(QStringLiteral("unknown firewall type %1").arg(lastLogon.firewallType));
            return false;
        }
        const QString command = LogonCommandText(step.command, lastLogon, hostText, false);
        FtpReply reply;
        if (!SendCommand(command, LogonCommandText(step.command, lastLogon, hostText, true)) || !ReadReply(&reply))
            return false;
        if (reply.IsPositiveCompletion()) {
            position = step.after2xx;
        } else if (reply.IsPositiveIntermediate()) {
            position = step.after3xx;
        } else {
            trace(reply.text);
            return false;
        }
        if (position == kSignedIn) return true;
        if (position == kLogonError) {
            trace(reply.text);
            return false;
        }
    }
}

bool CFTPClient::Login(const CLogonInfo& logonInfo, QObject* owner, const std::atomic<int>* abort) {
    ownerWindow = owner;
    abortFlag = abort;
    lastLogon = logonInfo;

    const bool viaFirewall = logonInfo.firewallType != kNoFirewall;
    const QString targetHost = viaFirewall ? logonInfo.firewallHost : logonInfo.host;
    const std::uint16_t targetPort = viaFirewall ? logonInfo.firewallPort : logonInfo.port;
    QString hostText = logonInfo.host;
    if (logonInfo.port != 21) hostText += QLatin1Char(':') + QString::number(logonInfo.port);

    if (IsConnected()) Logout();
    if (!OpenControlConnection(targetHost, targetPort)) return false;

    FtpReply greeting;
    bool signedIn = ReadReply(&greeting);
    if (signedIn && !greeting.IsPositiveCompletion()) {
        trace(greeting.text);
        signedIn = false;
    }
    signedIn = signedIn && RunLogonSequence(hostText) && SimpleCommand(QStringLiteral("CWD /")) == 0;
    if (!signedIn) {
        controlSocket->Cleanup();
        return false;
    }
    loggedOn = true;
    return true;
}

int CFTPClient::Logout() {
    if (!loggedOn) return 0;
    loggedOn = false;
    int result = 0;
    FtpReply reply;
    if (SendCommand(QStringLiteral("QUIT")) && ReadReply(&reply)) result = SimpleResult(reply);
    controlSocket->Cleanup();
    return result;
}

int CFTPClient::Abort() {
    if (transferInProgress) return 0;
    return SimpleCommand(QStringLiteral("ABOR"));
}

int CFTPClient::MakeDirectory(const QString& path) { return SimpleCommand(QStringLiteral("MKD ") + path); }

int CFTPClient::ChangeWorkingDirectory(const QString& path) { return SimpleCommand(QStringLiteral("CWD ") + path); }

int CFTPClient::FileSize(const QString& path, long long& size) {
    FtpReply reply;
    const int result = SimpleCommand(QStringLiteral("SIZE ") + path, &reply);
    if (result == -1) return result;
    bool isNumber = false;
    const long long value = reply.text.mid(4).trimmed().toLongLong(&isNumber);
    size = isNumber && value > 0 ? value : 0;
    return result;
}

int CFTPClient::SetRepresentation(const CRepresentation& representation) {
    const int result = SimpleCommand(representation.CommandText());
    if (result == 0) currentType = representation;
    return result;
}

int CFTPClient::ProgressPercent() const {
    if (progressTotal <= 0) return 100;
    const long long done = progressInKiB ? bytesDone / 1024 : bytesDone;
    return static_cast<int>(std::clamp<long long>(done * 100 / progressTotal, 1, 100));
}

void CFTPClient::PostProgress() {
    // A percentage the owner already has is not posted again: it would only wake the
    // owner's thread for nothing.
    const int percent = ProgressPercent();
    if (percent == lastPostedPercent) return;
    lastPostedPercent = percent;
    if (ownerWindow) platform::PostMessage(ownerWindow.data(), kFtpProgressMessage, 0, percent);
}

bool CFTPClient::UploadFile(const QString& localPath, const QString& remotePath, bool passive, bool storeUnique,
                            const CRepresentation& representation) {
    CFile file;
    if (!file.Open(localPath, "rb")) {
        trace(kLocalFileMissing);
        return false;
    }
    bytesDone = 0;
    progressTotal = 0;
    progressInKiB = false;
    lastPostedPercent = 0;

    long long offset = 0;
    if (resumeIfPossible) {
        // Servers refuse SIZE in ASCII mode, so the transfer type is set first.
        if (currentType != representation && SetRepresentation(representation) != 0) return false;
        if (FileSize(remotePath, offset) == -1) {
            trace(kFileSizeFailed);
            return false;
        }
    }
    bytesDone = offset;
    const int command = offset > 0 ? APPE : storeUnique ? STOU : STOR;

    const long long size = file.Size();
    progressTotal = size;
    if (bytesDone >= progressTotal) {
        PostProgress();
        trace(kFileAlreadyThere);
        return true;
    }
    if (size > kKiBModeThreshold) {
        progressInKiB = true;
        progressTotal = size / 1024;
    }
    if (!file.Seek(offset)) {
        trace(kLocalFileMissing);
        return false;
    }
    PostProgress();
    bool ok = ExecuteDatachannelCommand(command, remotePath, representation, passive, 0, file);
    if (ok && file.HasFailed()) {
        trace(QStringLiteral("local file read failed: ") + localPath);
        ok = false;
    }
    return ok;
}

bool CFTPClient::ExecuteDatachannelCommand(int command, const QString& path, const CRepresentation& representation,
                                           bool passive, long long byteOffset, ITransferNotification& data) {
    if (transferInProgress || !IsConnected()) return false;
    if (command < LIST || command > APPE) {
        trace(QStringLiteral("TransferData default  fail"));
        return false;
    }
    if (currentType != representation && SetRepresentation(representation) != 0) return false;

    const QString commandLine = path.isEmpty() ? CommandVerb(command) : CommandVerb(command) + QLatin1Char(' ') + path;
    std::unique_ptr<IBlockingSocket> dataSocket = controlSocket->CreateInstance();
    if (!SetUpDataConnection(*dataSocket, commandLine, passive, byteOffset)) {
        if (passive) trace(kPassiveConnectFailed);
        else if (trace.traceActiveConnectFailure) trace(kActiveConnectFailed);
        dataSocket->Cleanup();
        return false;
    }
    const bool transferred = TransferData(command, *dataSocket, data);
    dataSocket->Cleanup();

    // Only the server's positive final reply says the data was stored: bytes handed to
    // the kernel may never have reached the file. Without it the upload has failed (a
    // resume completes it).
    FtpReply reply;
    const bool replied = ReadReply(&reply);
    if (transferred && replied && reply.IsPositiveCompletion()) return true;
    trace(QStringLiteral("ExecuteDatachannelCommand  fail"));
    if (replied) trace(reply.text);
    else if (transferred) trace(QStringLiteral("no final reply from the server: the transfer is not confirmed"));
    return false;
}

bool CFTPClient::SetUpDataConnection(IBlockingSocket& data, const QString& commandLine, bool passive,
                                     long long byteOffset) {
    // The whole set-up (address exchange, restart, the command's preliminary reply and the
    // connection itself) completes within one timeout.
    setupDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    const bool opened = passive ? OpenPassiveDataConnection(data, commandLine, byteOffset)
                                : OpenActiveDataConnection(data, commandLine, byteOffset);
    setupDeadline = CReplyReader::Deadline::max();
    return opened;
}

bool CFTPClient::SendRestart(long long byteOffset) {
    if (!resumeIfPossible || byteOffset <= 0) return true;
    FtpReply reply;
    if (!SendCommand(QStringLiteral("REST %1").arg(byteOffset)) || !ReadReply(&reply)) return false;
    if (reply.IsPositiveIntermediate()) return true;
    trace(reply.text);
    return false;
}

bool CFTPClient::OpenPassiveDataConnection(IBlockingSocket& data, const QString& commandLine, long long byteOffset) {
    FtpReply reply;
    if (SimpleCommand(QStringLiteral("PASV"), &reply) != 0) return false;
    SocketAddress address{};
    if (!ParsePassiveReply(reply.text, &address)) {
        trace(QStringLiteral("invalid PASV reply: ") + reply.text.left(200));
        return false;
    }
    try {
        // The data connection goes to the server the control connection reached, whatever
        // address the reply names: otherwise a server (or whoever forged its reply) could
        // send the file to any host. Only the port is taken from the reply.
        SocketAddress server{};
        controlSocket->GetPeerName(&server);
        if (address.sin_addr.s_addr != server.sin_addr.s_addr) {
            trace(QStringLiteral("PASV reply names %1; connecting to the server's address %2 instead")
                      .arg(AddressText(address), AddressText(server)));
            address.sin_addr = server.sin_addr;
        }
        data.Create(SOCK_STREAM);
        data.Connect(address);
    } catch (const CBlockingSocketException& e) {
        trace(e.Text());
        return false;
    }
    if (!SendRestart(byteOffset)) return false;
    if (!SendCommand(commandLine) || !ReadReply(&reply)) return false;
    if (reply.IsPreliminary()) return true;
    trace(reply.text);
    return false;
}

bool CFTPClient::OpenActiveDataConnection(IBlockingSocket& data, const QString& commandLine, long long byteOffset) {
    std::unique_ptr<IBlockingSocket> listener = controlSocket->CreateInstance();
    QString portArgument;
    try {
        // Listens on the control connection's own address only, not on every interface.
        SocketAddress control{};
        controlSocket->GetSockName(&control);
        listener->Create(SOCK_STREAM);
        listener->Bind(nsSocket::MakeAddress(ntohl(control.sin_addr.s_addr), 0));
        SocketAddress listening{};
        listener->GetSockName(&listening);
        listener->Listen();
        const std::uint32_t host = ntohl(control.sin_addr.s_addr);
        const std::uint16_t port = ntohs(listening.sin_port);
        portArgument = QStringLiteral("%1,%2,%3,%4,%5,%6")
                           .arg(host >> 24).arg((host >> 16) & 0xff).arg((host >> 8) & 0xff).arg(host & 0xff)
                           .arg(port >> 8).arg(port & 0xff);
    } catch (const CBlockingSocketException& e) {
        trace(e.Text());
        return false;
    }
    FtpReply reply;
    if (SimpleCommand(QStringLiteral("PORT ") + portArgument, &reply) != 0) return false;
    if (!SendRestart(byteOffset)) return false;
    if (!SendCommand(commandLine) || !ReadReply(&reply)) return false;
    if (!reply.IsPreliminary()) {
        trace(reply.text);
        return false;
    }
    return AcceptDataConnection(*listener, data);
}

bool CFTPClient::AcceptDataConnection(IBlockingSocket& listener, IBlockingSocket& data) {
    // The server connects right after its preliminary reply, within the set-up's deadline.
    // Only a connection from the server's address is taken: anyone else who connects
    // first would otherwise receive the file. Others are closed and waited past.
    try {
        SocketAddress server{};
        controlSocket->GetPeerName(&server);
        for (;;) {
            while (!listener.CheckReadability()) {
                if (std::chrono::steady_clock::now() >= setupDeadline || AbortRequested()) {
                    trace(QStringLiteral("Accept timeout"));
                    return false;
                }
                QThread::msleep(5);
            }
            SocketAddress peer{};
            if (!listener.Accept(data, &peer)) return false;
            if (peer.sin_addr.s_addr == server.sin_addr.s_addr) break;
            trace(QStringLiteral("data connection from %1 refused: not the server").arg(AddressText(peer)));
            data.Cleanup();
        }
        listener.Cleanup();
        return true;
    } catch (const CBlockingSocketException& e) {
        trace(e.Text());
        return false;
    }
}

bool CFTPClient::TransferData(int command, IBlockingSocket& data, ITransferNotification& notification) {
    transferInProgress = true;
    const bool ok = command >= STOR ? SendData(data, notification) : ReceiveData(data, notification);
    transferInProgress = false;
    return ok;
}

bool CFTPClient::SendData(IBlockingSocket& data, ITransferNotification& source) {
    // The source fills blocks of the transfer buffer's size; consecutive blocks go out in
    // one write of up to kSendBatchBytes, so a small buffer does not cost a system call
    // (and a progress message) per block. The bytes on the wire are the same.
    const int blockSize = static_cast<int>(transferBuffer.size());
    const int blocksPerBatch = std::max(1, kSendBatchBytes / blockSize);
    std::vector<char> batch(static_cast<size_t>(blockSize) * static_cast<size_t>(blocksPerBatch));
    bool endOfFile = false;
    try {
        while (!endOfFile && !AbortRequested()) {
            int filled = 0;
            for (int block = 0; block < blocksPerBatch && !AbortRequested(); ++block) {
                int count = 0;
                source.OnPreBytesSend(batch.data() + filled, blockSize, count);
                if (count <= 0) {
                    endOfFile = true;
                    break;
                }
                filled += std::min(count, blockSize);
            }
            if (filled == 0) continue;
            data.Write(batch.data(), filled, timeoutSeconds);
            bytesDone += filled;
            PostProgress();
        }
        if (endOfFile) {
            trace(QStringLiteral("send data ok"));
            return true;
        }
    } catch (const CBlockingSocketException& e) {
        trace(e.Text());
        data.Cleanup();
    }
    return EndStoppedTransfer(QStringLiteral("TransferData senddata fail"));
}

bool CFTPClient::ReceiveData(IBlockingSocket& data, ITransferNotification& sink) {
    char* buffer = transferBuffer.data();
    const int size = static_cast<int>(transferBuffer.size());
    try {
        while (!AbortRequested()) {
            const int count = data.Receive(buffer, size, timeoutSeconds);
            if (count == 0) return true;
            sink.OnBytesReceived(buffer, count);
            bytesDone += count;
            PostProgress();
        }
    } catch (const CBlockingSocketException& e) {
        trace(e.Text());
        data.Cleanup();
    }
    return EndStoppedTransfer(QStringLiteral("TransferData ReceiveData  fail"));
}

bool CFTPClient::EndStoppedTransfer(const QString& failLine) {
    trace(failLine);
    if (AbortRequested()) {
        FtpReply reply;
        if (SendCommand(QStringLiteral("ABOR"))) ReadReply(&reply);
    }
    return false;
}

}  // namespace nsFTP
