#include "ftp/transfer_notification.h"

#include <QFile>

#include <sys/stat.h>

namespace nsFTP {

namespace {
// Large enough that reading a file in small blocks does not cost a system call each.
constexpr size_t kStreamBufferBytes = 64 * 1024;
}  // namespace

bool CFile::Open(const QString& path, const char* mode) {
    Close();
    stream = std::fopen(QFile::encodeName(path).constData(), mode);
    failed = false;
    if (!stream) return false;
    streamBuffer.resize(kStreamBufferBytes);
    std::setvbuf(stream, streamBuffer.data(), _IOFBF, streamBuffer.size());
    return true;
}

void CFile::Close() {
    if (!stream) return;
    if (std::fclose(stream) != 0) failed = true;
    stream = nullptr;
}

long long CFile::Size() const {
    struct stat info {};
    if (!stream || ::fstat(fileno(stream), &info) != 0) return -1;
    return info.st_size;
}

bool CFile::Seek(long long offset) {
    return stream && ::fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
}

void CFile::OnBytesReceived(const char* buffer, int count) {
    if (!stream || count <= 0) return;
    if (std::fwrite(buffer, 1, static_cast<size_t>(count), stream) != static_cast<size_t>(count)) failed = true;
}

void CFile::OnPreBytesSend(char* buffer, int bufferSize, int& bytesToSend) {
    bytesToSend = 0;
    if (!stream || bufferSize <= 0) return;
    bytesToSend = static_cast<int>(std::fread(buffer, 1, static_cast<size_t>(bufferSize), stream));
    if (bytesToSend == 0 && std::ferror(stream)) failed = true;
}

}  // namespace nsFTP
