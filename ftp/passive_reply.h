#pragma once
// Reading the server's address out of a 227 reply to PASV: "(h1,h2,h3,h4,p1,p2)".

#include "ftp/iblocking_socket.h"

#include <QString>

namespace nsFTP {

// Skips to "(", reads four decimal numbers separated by "," as the address (first number
// highest byte), then the port's high and low bytes, the last one closed by ")". Any other
// character, a missing part or a number above 255 fails.
bool ParsePassiveReply(const QString& replyText, nsSocket::SocketAddress* address);

}  // namespace nsFTP
