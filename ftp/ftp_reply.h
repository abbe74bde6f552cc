#pragma once
// One server reply and the reading of replies from the control connection.

#include "ftp/iblocking_socket.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <deque>
#include <vector>

namespace nsFTP {

struct FtpReply {
    QString code;  // the three digits
    QString text;  // every line of the reply, joined by "\r\n"

    bool IsPositiveCompletion() const { return code.startsWith(QLatin1Char('2')); }
    bool IsPositiveIntermediate() const { return code.startsWith(QLatin1Char('3')); }
    bool IsPreliminary() const { return code.startsWith(QLatin1Char('1')); }
    bool IsNegative() const { return code.startsWith(QLatin1Char('4')) || code.startsWith(QLatin1Char('5')); }
};

// Replies longer than this (one line or all lines of one reply) are refused.
constexpr int kMaxReplyBytes = 64 * 1024;

// Reads lines from the control connection in blocks of up to bufferSize - 1 bytes and
// assembles them into replies. Lines end at a line feed; a line still open waits for
// more data, so a reply split by the network reads whole. The whole reply must arrive
// within the timeout: a server trickling bytes cannot hold it open longer.
class CReplyReader {
public:
    using Deadline = std::chrono::steady_clock::time_point;

    CReplyReader(int bufferSize, int timeoutSeconds, int responseWaitMs);

    // One complete reply (a multi-line reply ends at the line "<code> " of its first
    // line's code), received within the timeout from now. Socket failures and the
    // timeout throw CBlockingSocketException; a malformed reply, a closed connection or
    // an over-long reply returns false with the reason in *error.
    bool ReadReply(nsSocket::IBlockingSocket& socket, FtpReply* reply, QString* error);
    // The same, but the reply must be complete by `deadline` (or the timeout, if sooner).
    bool ReadReply(nsSocket::IBlockingSocket& socket, FtpReply* reply, QString* error, Deadline deadline);

    // Forgets everything received (for a new connection).
    void Reset();

private:
    bool ReadLine(nsSocket::IBlockingSocket& socket, QString* line, QString* error, Deadline deadline);
    bool ReceiveMore(nsSocket::IBlockingSocket& socket, QString* error, Deadline deadline);

    std::vector<char> buffer;
    int timeoutSeconds;
    int responseWaitMs;
    QByteArray pending;             // received bytes after the last line feed
    std::deque<QByteArray> lines;   // complete lines not yet consumed
};

}  // namespace nsFTP
