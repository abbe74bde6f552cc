// Object ids, object layouts and little-endian field access for the ASF container, as the
// stream server needs them to split a live ASF byte stream, the encoder to correct headers
// and the protection layer to mark them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace wavetap::asf {

using Guid = std::array<std::uint8_t, 16>;

// Object ids in their on-disk byte order.
inline constexpr Guid kHeaderObject = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                       0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
inline constexpr Guid kDataObject = {0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                     0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
inline constexpr Guid kFilePropertiesObject = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                               0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
inline constexpr Guid kStreamPropertiesObject = {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11,
                                                 0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
inline constexpr Guid kVideoMedia = {0xC0, 0xEF, 0x19, 0xBC, 0x4D, 0x5B, 0xCF, 0x11,
                                     0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B};
inline constexpr Guid kHeaderExtensionObject = {0xB5, 0x03, 0xBF, 0x5F, 0x2E, 0xA9, 0xCF, 0x11,
                                                0x8E, 0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
inline constexpr Guid kExtendedStreamPropertiesObject = {0xCB, 0xA5, 0xE6, 0x14, 0x72, 0xC6, 0x32, 0x43,
                                                         0x83, 0x99, 0xA9, 0x69, 0x52, 0x06, 0x5B, 0x5A};
inline constexpr Guid kStreamBitratePropertiesObject = {0xCE, 0x75, 0xF8, 0x7B, 0x8D, 0x46, 0xD1, 0x11,
                                                        0x8D, 0x82, 0x00, 0x60, 0x97, 0xC9, 0xA2, 0xB2};

// Every top-level object starts with its id and its 64-bit size.
inline constexpr std::size_t kObjectPrologSize = 24;
// The Header Object's own fields: prolog, object count, two reserved bytes.
inline constexpr std::size_t kHeaderObjectFixedSize = 30;
// The fixed start of the Data Object that precedes its packets.
inline constexpr std::size_t kDataObjectFixedSize = 50;
// The Header Object's count of the objects it holds.
inline constexpr std::size_t kObjectCountOffset = 24;
// Offsets inside the File Properties Object, and its smallest size.
inline constexpr std::size_t kMinPacketSizeOffset = 92;
inline constexpr std::size_t kMaxPacketSizeOffset = 96;
inline constexpr std::size_t kFilePropertiesMinSize = 104;
// Offsets inside the Stream Properties Object (the flags word holds the stream number in
// its low seven bits), and its smallest size.
inline constexpr std::size_t kStreamTypeOffset = 24;
inline constexpr std::size_t kStreamFlagsOffset = 72;
inline constexpr std::size_t kStreamPropertiesMinSize = 78;

inline bool GuidAt(const std::uint8_t* p, const Guid& guid)
{
    return std::memcmp(p, guid.data(), guid.size()) == 0;
}

inline std::uint16_t ReadLe16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t ReadLe32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint64_t ReadLe64(const std::uint8_t* p)
{
    return static_cast<std::uint64_t>(ReadLe32(p)) | (static_cast<std::uint64_t>(ReadLe32(p + 4)) << 32);
}

inline void WriteLe16(std::uint8_t* p, std::uint16_t value)
{
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void WriteLe32(std::uint8_t* p, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void WriteLe64(std::uint8_t* p, std::uint64_t value)
{
    WriteLe32(p, static_cast<std::uint32_t>(value));
    WriteLe32(p + 4, static_cast<std::uint32_t>(value >> 32));
}

}  // namespace wavetap::asf
