#include "upkeep/url_parts.h"

#include <QUrl>

namespace upkeep {

QString UrlParts::Address() const {
    QString host = server.contains(u':') ? u'[' + server + u']' : server;
    return scheme + QStringLiteral("://") + host + u':' + QString::number(port) + object;
}

bool ParseUrl(const QString& url, UrlParts* parts) {
    const QUrl parsed(url.trimmed(), QUrl::TolerantMode);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || (scheme != u"http" && scheme != u"https") || parsed.host().isEmpty()) return false;
    parts->scheme = scheme;
    parts->server = parsed.host();
    parts->port = parsed.port(scheme == u"https" ? 443 : 80);
    QString object = QString::fromLatin1(parsed.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority |
                                                          QUrl::RemoveFragment));
    if (object.isEmpty()) object = QStringLiteral("/");
    parts->object = object;
    const QString path = parsed.path();
    parts->fileName = path.mid(qMax(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1);
    return true;
}

bool ParseDownloadUrl(const QString& url, UrlParts* parts) {
    if (ParseUrl(url, parts)) return true;
    return !url.contains(QStringLiteral("://")) && ParseUrl(QStringLiteral("http://") + url, parts);
}

QString CanonicalUrl(const QString& url) {
    return QString::fromLatin1(QUrl(url.trimmed(), QUrl::TolerantMode).toEncoded());
}

}  // namespace upkeep
