#include "ftp/representation.h"

namespace nsFTP {

QString CRepresentation::CommandText() const {
    QString text;
    switch (type) {
    case ASCII: text = QStringLiteral("TYPE A"); break;
    case EBCDIC: text = QStringLiteral("TYPE E"); break;
    case Image: return QStringLiteral("TYPE I");
    case LocalByteSize: return QStringLiteral("TYPE L 8");
    }
    switch (format) {
    case NonPrint: return text + QStringLiteral(" N");
    case TelnetFormat: return text + QStringLiteral(" T");
    case CarriageControl: return text + QStringLiteral(" C");
    }
    return text;
}

}  // namespace nsFTP
