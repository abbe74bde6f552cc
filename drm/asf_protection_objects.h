#pragma once
// The ASF header objects that mark protected content: the Content Encryption Object
// (key id and licence address for older players) and the Extended Content Encryption
// Object (the signed rights header, UTF-16LE text).

#include "drm/content_protection.h"
#include "wavetap/stream/asf_format.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace drm::asf {

using wavetap::asf::Guid;

inline constexpr Guid kContentEncryptionObject = {0xFB, 0xB3, 0x11, 0x22, 0x23, 0xBD, 0xD2, 0x11,
                                                  0xB4, 0xB7, 0x00, 0xA0, 0xC9, 0x55, 0xFC, 0x6E};
inline constexpr Guid kExtendedContentEncryptionObject = {0x14, 0xE6, 0x8A, 0x29, 0x22, 0x26, 0x17, 0x4C,
                                                          0xB9, 0x35, 0xDA, 0xE0, 0x7E, 0xE9, 0x28, 0x9C};
inline constexpr Guid kAdvancedContentEncryptionObject = {0x33, 0x85, 0x05, 0x43, 0x81, 0x69, 0xE6, 0x49,
                                                          0x9B, 0x74, 0xAD, 0x12, 0xCB, 0x86, 0xD5, 0x8C};
inline constexpr Guid kDigitalSignatureObject = {0xFC, 0xB3, 0x11, 0x22, 0x23, 0xBD, 0xD2, 0x11,
                                                 0xB4, 0xB7, 0x00, 0xA0, 0xC9, 0x55, 0xFC, 0x6E};
// Index objects that follow the Data Object.
inline constexpr Guid kSimpleIndexObject = {0x90, 0x08, 0x00, 0x33, 0xB1, 0xE5, 0xCF, 0x11,
                                            0x89, 0xF4, 0x00, 0xA0, 0xC9, 0x03, 0x49, 0xCB};
inline constexpr Guid kIndexObject = {0xD3, 0x29, 0xE2, 0xD6, 0xDA, 0x35, 0xD1, 0x11,
                                      0x90, 0x34, 0x00, 0xA0, 0xC9, 0x03, 0x49, 0xBE};

// What the two objects say.
struct ProtectionMarks {
    QString v1KeyId;
    QString licenceUrl;
    QByteArray secretData;
    QString protectionType;
    QString rightsHeader;
};

// The marks of content protected with `protection` (the key checksum as secret data).
ProtectionMarks MarksFor(const ContentProtection& protection);

QByteArray ContentEncryptionObject(const ProtectionMarks& marks);
QByteArray ExtendedContentEncryptionObject(const QString& rightsHeader);

// Read one whole object (its prolog included) into `marks`; false when its fields do not fit.
bool ReadContentEncryptionObject(const std::uint8_t* object, std::size_t size, ProtectionMarks* marks);
bool ReadExtendedContentEncryptionObject(const std::uint8_t* object, std::size_t size, ProtectionMarks* marks);

}  // namespace drm::asf
