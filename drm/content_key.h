#pragma once
// Key ids, seeds and content keys. A key id is 16 random bytes; a content key is
// derived from the seed and the key id, so whoever holds the seed (the licence
// service) can make it again. Ids and keys travel as base64 text.

#include <QByteArray>
#include <QString>

namespace drm {

inline constexpr int kKeyIdBytes = 16;
inline constexpr int kContentKeyBytes = 16;
// Seeds shorter than this are refused: they would make guessable keys.
inline constexpr int kMinSeedLength = 20;

// Bytes from the system's random generator; empty when it fails.
QByteArray RandomBytes(int count);

// A new key id (or content id) as base64 text; empty when the generator fails.
QString NewKeyId();
// The 16 bytes of a key id given as base64 text; false for anything else.
bool DecodeKeyId(const QString& text, QByteArray* raw);

// A new seed (base64 of 32 random bytes); empty when the generator fails.
QString NewSeed();
bool ValidSeed(const QString& seed);

// The content key of `keyId` (raw bytes) under `seed`: HKDF-SHA256, 16 bytes.
bool DeriveContentKey(const QString& seed, const QByteArray& keyId, QByteArray* key);

// A content key as base64 text, and back (false unless exactly 16 bytes).
QString EncodeKey(const QByteArray& key);
bool DecodeKey(const QString& text, QByteArray* key);

// The checksum a header carries so a licence's key can be recognised: base64 of the
// first 8 bytes of SHA-256 over a label and the key. It does not reveal the key.
QString KeyChecksum(const QByteArray& key);

}  // namespace drm
