#include "ftp/passive_reply.h"

namespace nsFTP {

namespace {

// Reads one number 0..255 at `pos` followed by `separator`; advances past the separator.
bool ReadByte(const QString& text, qsizetype& pos, QChar separator, unsigned* value) {
    unsigned number = 0;
    qsizetype digits = 0;
    while (pos < text.size() && text[pos].isDigit() && text[pos].unicode() < 128) {
        number = number * 10 + static_cast<unsigned>(text[pos].unicode() - '0');
        if (number > 255) return false;
        ++pos;
        ++digits;
    }
    if (digits == 0 || pos >= text.size() || text[pos] != separator) return false;
    ++pos;
    *value = number;
    return true;
}

}  // namespace

bool ParsePassiveReply(const QString& replyText, nsSocket::SocketAddress* address) {
    qsizetype pos = replyText.indexOf(QLatin1Char('('));
    if (pos < 0) return false;
    ++pos;
    unsigned parts[6];
    for (int i = 0; i < 6; ++i) {
        if (!ReadByte(replyText, pos, QLatin1Char(i == 5 ? ')' : ','), &parts[i])) return false;
    }
    const std::uint32_t host = (parts[0] << 24) | (parts[1] << 16) | (parts[2] << 8) | parts[3];
    *address = nsSocket::MakeAddress(host, static_cast<std::uint16_t>((parts[4] << 8) | parts[5]));
    return true;
}

}  // namespace nsFTP
