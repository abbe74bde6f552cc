#pragma once
// One server reply and the reading of replies from the control connection.

#include "ftp/iblocking_socket.h"

#include <QByteArray>
#include <QString>

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
// more data (bounded by the timeout), so a reply split by the network reads whole.
class CReplyReader {
public:
    CReplyReader(int bufferSize, int timeoutSeconds, int responseWaitMs);

    // One complete reply (a multi-line reply ends at the line "<code> " of its first
    // line's code). Socket failures throw CBlockingSocketException; a malformed reply, a
    // closed connection or an over-long reply returns false with the reason in *error.
    bool ReadReply(nsSocket::IBlockingSocket& socket, FtpReply* reply, QString* error);

    // Forgets everything received (for a new connection).
    void Reset();

private:
    bool ReadLine(nsSocket::IBlockingSocket& socket, QString* line, QString* error);
    bool ReceiveMore(nsSocket::IBlockingSocket& socket, QString* error);

    std::vector<char> buffer;
    int timeoutSeconds;
    int responseWaitMs;
    QByteArray pending;             // received bytes after the last line feed
    std::deque<QByteArray> lines;   // complete lines not yet consumed
};

}  // namespace nsFTP
