#pragma once
// An address split the way the download connects to it.

#include <QString>

namespace upkeep {

struct UrlParts {
    QString scheme;    // the service type: "http" or "https"
    QString server;
    int port = 0;
    QString object;    // path and query, as sent in the request line
    QString fileName;  // last component of the path (after "/" or "\")

    // The address rebuilt from the parts.
    QString Address() const;
};

// Splits an http or https address. False for anything else.
bool ParseUrl(const QString& url, UrlParts* parts);

// ParseUrl, and for an address without a scheme ParseUrl of "http://" + url.
bool ParseDownloadUrl(const QString& url, UrlParts* parts);

// The address with unsafe characters (blanks, non-ASCII) percent-encoded, as a browser sends it.
QString CanonicalUrl(const QString& url);

}  // namespace upkeep
