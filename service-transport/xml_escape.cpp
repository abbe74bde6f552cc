#include "service-transport/xml_escape.h"

#include <cstdio>

namespace transport {

namespace {
void AppendReference(QByteArray& out, unsigned codePoint, int digits) {
    char buffer[16];
    const int length = std::snprintf(buffer, sizeof buffer, "&#x%0*X;", digits, codePoint);
    out.append(buffer, length);
}
}  // namespace

void AppendEscaped(QByteArray& out, QStringView text) {
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        if (unit == u'&') {
            out.append("&amp;");
        } else if (unit == u'<') {
            out.append("&lt;");
        } else if (unit == u'>') {
            out.append("&gt;");
        } else if (unit >= 32 && unit <= 126) {
            out.append(static_cast<char>(unit));
        } else if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(text[i + 1].unicode())) {
            AppendReference(out, QChar::surrogateToUcs4(unit, text[i + 1].unicode()), 6);
            ++i;
        } else {
            AppendReference(out, unit, 4);
        }
    }
}

}  // namespace transport
