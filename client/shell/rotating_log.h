#pragma once
// The application log: UTF-16LE (or UTF-8) lines "time: message\r\n", archived under a
// dated name once it reaches maxSize, and when its encoding does not match the mode.

#include <QString>

#include <cstdio>
#include <ctime>

class CRotatingLog {
public:
    CRotatingLog() = default;
    ~CRotatingLog();
    CRotatingLog(const CRotatingLog&) = delete;
    CRotatingLog& operator=(const CRotatingLog&) = delete;

    bool Open();
    bool IsOpen() const { return file != nullptr; }
    // Writes one line; false when the file is not open or the write failed.
    bool Printf(const QString& message);
    void Close();

    QString path;
    quint32 maxSize = 1048576;
    bool utf8 = false;

private:
    void Rotate();

    std::FILE* file = nullptr;
    std::time_t openedAt = 0;
    quint32 size = 0;
    bool rotating = false;
};

// The one application log of the process.
CRotatingLog& AppLog();
