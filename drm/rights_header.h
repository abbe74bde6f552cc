#pragma once
// The signed rights header a protected file carries: key id, content id, licence
// address, key checksum and the profile's attributes, signed with the signing private
// key. Its text is XML; the signature covers the exact text of its DATA element.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

namespace drm {

class SigningKey;

// Headers longer than this (in characters) are not headers.
inline constexpr int kMaxRightsHeaderLength = 32768;

struct RightsHeaderData {
    QString keyId;
    QString contentId;
    QString licenceUrl;
    QString checksum;
    QList<QPair<QString, QString>> attributes;
};

struct RightsHeader {
    RightsHeaderData data;
    QByteArray signerPublicKey;  // DER
    QByteArray signature;
    QString signedText;  // the DATA element as it stands in the header
};

// The header text signed with `key`; nothing when signing fails.
std::optional<QString> BuildSignedHeader(const RightsHeaderData& data, const SigningKey& key);
// Reads a header text; nothing when it is not one (malformed, unknown cipher, bad ids).
std::optional<RightsHeader> ParseRightsHeader(const QString& text);
// True when the signature matches the signed text under the header's public key.
bool HeaderSignatureValid(const RightsHeader& header);

}  // namespace drm
