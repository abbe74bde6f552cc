#include "ftp/blocking_socket_exception.h"

#include <cerrno>
#include <cstdio>

namespace nsSocket {

CBlockingSocketException::CBlockingSocketException(const QString& message)
    : CBlockingSocketException(message, errno) {}

CBlockingSocketException::CBlockingSocketException(const QString& message, int error)
    : message(message), error(error), utf8(Text().toStdString()) {}

QString CBlockingSocketException::Text() const {
    if (error == 0) return message + QStringLiteral(" error");
    char code[16];
    std::snprintf(code, sizeof code, "0x%08x", static_cast<unsigned>(error));
    // The text is bounded like the original 512-character buffer.
    return (message + QStringLiteral(" error ") + QLatin1String(code)).left(511);
}

}  // namespace nsSocket
