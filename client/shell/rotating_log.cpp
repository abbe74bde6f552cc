#include "client/shell/rotating_log.h"

#include <QFileInfo>

#include <sys/file.h>
#include <unistd.h>

#include <cstring>

CRotatingLog& AppLog() {
    static CRotatingLog log;
    return log;
}

CRotatingLog::~CRotatingLog() {
    Close();
}

void CRotatingLog::Close() {
    if (file) std::fclose(file);
    file = nullptr;
    openedAt = 0;
    size = 0;
}

bool CRotatingLog::Open() {
    if (file) return true;
    const QByteArray nativePath = path.toLocal8Bit();
    std::FILE* f = std::fopen(nativePath.constData(), "a+b");
    if (!f) return false;
    // Readers may share the file; a second writer may not.
    if (::flock(::fileno(f), LOCK_EX | LOCK_NB) != 0) {
        std::fclose(f);
        return false;
    }
    file = f;
    openedAt = std::time(nullptr);
    std::fseek(file, 0, SEEK_END);
    const long length = std::ftell(file);
    size = length > 0 ? static_cast<quint32>(length) : 0;

    if (length == 0 && !utf8) {
        static const unsigned char bom[2] = {0xFF, 0xFE};
        size += static_cast<quint32>(std::fwrite(bom, 1, 2, file));
        std::fflush(file);
    } else if (length > 1) {
        unsigned char head[2] = {0, 0};
        std::fseek(file, 0, SEEK_SET);
        const size_t got = std::fread(head, 1, 2, file);
        const bool marked = got == 2 && head[0] == 0xFF && head[1] == 0xFE;
        std::fseek(file, 0, SEEK_END);
        if (marked == utf8 && !rotating) {
            rotating = true;
            Rotate();
            rotating = false;
        }
    }
    return file != nullptr;
}

bool CRotatingLog::Printf(const QString& message) {
    if (!file) return false;
    char stamp[128] = {0};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%c", &local);

    // The message fits a 1024-character buffer and the whole line a 1060-character one.
    QString line = QString::fromLocal8Bit(stamp) + QStringLiteral(": ") + message.left(1023);
    line = line.left(1057) + QStringLiteral("\r\n");

    QByteArray bytes;
    if (utf8)
        bytes = line.toUtf8();
    else
        bytes = QByteArray(reinterpret_cast<const char*>(line.utf16()), line.size() * 2);
    const size_t written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), file);
    const bool ok = written == static_cast<size_t>(bytes.size()) && !std::ferror(file);
    size += static_cast<quint32>(written);
    if (size < maxSize)
        std::fflush(file);
    else
        Rotate();
    return ok;
}

void CRotatingLog::Rotate() {
    const std::time_t oldOpenedAt = openedAt;
    Close();

    char stamp[64] = {0};
    std::tm local{};
    localtime_r(&oldOpenedAt, &local);
    std::strftime(stamp, sizeof stamp, "%Y.%m.%d %H.%M.%S", &local);

    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    const QString archive = info.path() + u'/' + info.completeBaseName() + QStringLiteral(" - ") +
                            QString::fromLatin1(stamp) + suffix;
    const QByteArray from = path.toLocal8Bit();
    const QByteArray to = archive.toLocal8Bit();
    if (std::rename(from.constData(), to.constData()) != 0) std::remove(from.constData());
    Open();
}
