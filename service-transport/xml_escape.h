#pragma once
// Character escaping of request text: the result is pure ASCII whatever the input.

#include <QByteArray>
#include <QStringView>

namespace transport {

// Appends text with "&", "<" and ">" as entities, printable ASCII as is, every other
// UTF-16 unit as "&#x%04X;" and every surrogate pair as one "&#x%06X;" reference.
void AppendEscaped(QByteArray& out, QStringView text);

}  // namespace transport
