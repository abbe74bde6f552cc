#include "client/resources/artwork.h"

QString ArtworkPath(const char* name) {
    return QStringLiteral(":/castora/%1.png").arg(QLatin1String(name));
}
