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

// Bytes in the Chinese code pages a document may declare (GBK, CP936, GB2312, GB18030;
// names compared case-insensitively) to UTF-8. Invalid sequences become U+FFFD. False
// (and *utf8 untouched) for any other encoding name.
bool ChineseToUtf8(const QByteArray& bytes, const QByteArray& encodingName, QByteArray* utf8);

// True when the bytes are a well-formed UTF-8 sequence.
bool IsValidUtf8(const QByteArray& bytes);

}  // namespace platform
