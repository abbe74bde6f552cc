#pragma once
// Protecting and unprotecting an ASF header block (the Header Object followed by the
// 50-byte start of the Data Object). Protection adds the two encryption objects, marks
// every stream as encrypted and moves the file size by what the header grew; the
// reverse takes all of that back, so the data packets and index stay as they were.

#include "drm/asf_protection_objects.h"
#include "drm/results.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace drm::asf {

// Header blocks larger than this are refused (a header of 100 MB is no header).
inline constexpr std::uint64_t kMaxHeaderBlockSize = 4u << 20;

struct AsfLayout {
    std::uint64_t headerSize = 0;      // the Header Object's size
    std::uint32_t packetSize = 0;      // fixed data packet size
    std::uint64_t dataObjectSize = 0;  // as declared; 0 when unknown (live)
    std::uint64_t dataPackets = 0;     // as declared
    bool broadcast = false;            // sizes and counts are not final
    bool protectedContent = false;     // the header carries encryption objects
    std::uint64_t BlockSize() const { return headerSize + wavetap::asf::kDataObjectFixedSize; }
};

// The size of the header block from its first 24 bytes: NS_E_DRM_NOT_ASF, or
// NS_E_DRM_ASF_HEADER_TOO_LARGE past kMaxHeaderBlockSize.
HRESULT HeaderBlockSize(const std::uint8_t* data, std::size_t size, std::uint64_t* blockSize);
// Checks the whole block and reads its layout.
HRESULT ReadLayout(const QByteArray& block, AsfLayout* layout);

HRESULT ProtectHeader(const QByteArray& block, const ProtectionMarks& marks, QByteArray* out);
// Takes the protection out; `marks` gets what it said.
HRESULT UnprotectHeader(const QByteArray& block, QByteArray* out, ProtectionMarks* marks);
// Reads the marks of a protected header: NS_E_DRM_NOT_PROTECTED when it has none.
HRESULT ReadMarks(const QByteArray& block, ProtectionMarks* marks);

}  // namespace drm::asf
