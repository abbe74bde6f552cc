#include "ftp/ftp_reply.h"

#include "platform/code_page.h"

#include <QThread>

#include <algorithm>

namespace nsFTP {

namespace {

bool HasReplyCode(const QString& line) {
    if (line.size() < 3) return false;
    for (int i = 0; i < 3; ++i) {
        if (line[i] < QLatin1Char('0') || line[i] > QLatin1Char('9')) return false;
    }
    return line.size() == 3 || line[3] == QLatin1Char(' ') || line[3] == QLatin1Char('-');
}

}  // namespace

CReplyReader::CReplyReader(int bufferSize, int timeoutSeconds, int responseWaitMs)
    : buffer(static_cast<size_t>(std::max(bufferSize, 2))), timeoutSeconds(timeoutSeconds), responseWaitMs(responseWaitMs) {}

void CReplyReader::Reset() {
    pending.clear();
    lines.clear();
}

bool CReplyReader::ReceiveMore(nsSocket::IBlockingSocket& socket, QString* error, Deadline deadline) {
    const int chunk = static_cast<int>(buffer.size()) - 1;
    qsizetype queued = 0;
    bool filled = false;
    do {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) throw nsSocket::CBlockingSocketException(QStringLiteral("Receive timeout"), 0);
        const int count = socket.ReceiveWithin(buffer.data(), chunk, static_cast<int>(left));
        if (count == 0) {
            *error = QStringLiteral("connection closed by server");
            return false;
        }
        if (responseWaitMs > 0) QThread::msleep(static_cast<unsigned long>(responseWaitMs));
        pending.append(buffer.data(), count);
        qsizetype start = 0;
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n', start)) {
            lines.push_back(pending.mid(start, end + 1 - start));
            queued += end + 1 - start;
            start = end + 1;
        }
        pending.remove(0, start);
        if (pending.size() > kMaxReplyBytes) {
            *error = QStringLiteral("reply line too long");
            return false;
        }
        filled = count == chunk;
        // A server that keeps sending is read no further than one reply's worth at a time.
    } while (filled && queued < kMaxReplyBytes && socket.CheckReadability());
    return true;
}

bool CReplyReader::ReadLine(nsSocket::IBlockingSocket& socket, QString* line, QString* error, Deadline deadline) {
    while (lines.empty()) {
        if (!ReceiveMore(socket, error, deadline)) return false;
    }
    QByteArray bytes = std::move(lines.front());
    lines.pop_front();
    if (bytes.endsWith('\n')) bytes.chop(1);
    if (bytes.endsWith('\r')) bytes.chop(1);
    *line = platform::FromAnsi(bytes);
    return true;
}

bool CReplyReader::ReadReply(nsSocket::IBlockingSocket& socket, FtpReply* reply, QString* error) {
    return ReadReply(socket, reply, error, Deadline::max());
}

bool CReplyReader::ReadReply(nsSocket::IBlockingSocket& socket, FtpReply* reply, QString* error, Deadline deadline) {
    deadline = std::min(deadline, std::chrono::steady_clock::now() + std::chrono::seconds(std::max(timeoutSeconds, 0)));
    QString first;
    if (!ReadLine(socket, &first, error, deadline)) return false;
    if (!HasReplyCode(first)) {
        *error = QStringLiteral("invalid reply: ") + first.left(200);
        return false;
    }
    reply->code = first.left(3);
    reply->text = first;
    if (first.size() > 3 && first[3] == QLatin1Char('-')) {
        for (;;) {
            QString next;
            if (!ReadLine(socket, &next, error, deadline)) return false;
            reply->text += QStringLiteral("\r\n") + next;
            if (reply->text.size() > kMaxReplyBytes) {
                *error = QStringLiteral("reply too long");
                return false;
            }
            if (next.size() > 3 && next[3] == QLatin1Char(' ') && next.startsWith(reply->code)) break;
        }
    }
    return true;
}

}  // namespace nsFTP
