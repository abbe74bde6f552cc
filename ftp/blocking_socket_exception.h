#pragma once
// The one exception the socket layer throws: the failing step's name and the socket
// error code (errno) read when the exception is built.

#include <QString>

#include <exception>
#include <string>

namespace nsSocket {

class CBlockingSocketException : public std::exception {
public:
    // Reads errno now; pass error explicitly when it is already known.
    explicit CBlockingSocketException(const QString& message);
    CBlockingSocketException(const QString& message, int error);

    const QString& Message() const { return message; }
    int Error() const { return error; }

    // "<message> error 0x%08x", or "<message> error" when the code is 0.
    QString Text() const;
    const char* what() const noexcept override { return utf8.c_str(); }

private:
    QString message;
    int error;
    std::string utf8;
};

}  // namespace nsSocket
