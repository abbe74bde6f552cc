#pragma once
// What protecting content needs: the signed rights header with its ids and licence
// address, and the content key. Made by the protect object for files and by the DRM
// content author for a live encoding.

#include <QByteArray>
#include <QString>

namespace drm {

struct ContentProtection {
    QString keyId;
    QString v1KeyId;       // the key id older players read
    QString licenceUrl;
    QString rightsHeader;  // signed header text
    QString checksum;      // of the content key
    QByteArray contentKey;
};

}  // namespace drm
