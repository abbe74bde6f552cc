#pragma once
// The system's ANSI code page. On this platform it is GBK (code page 936), the
// encoding of trace files and of the bytes hashed into the platform's password digests.

#include <QByteArray>
#include <QString>

namespace platform {

// Wide text to GBK bytes. Characters GBK cannot represent become '?'.
QByteArray ToAnsi(const QString& text);

// GBK bytes to wide text. Invalid sequences become U+FFFD; never fails.
QString FromAnsi(const QByteArray& bytes);

// True when the bytes are a well-formed UTF-8 sequence.
bool IsValidUtf8(const QByteArray& bytes);

}  // namespace platform
