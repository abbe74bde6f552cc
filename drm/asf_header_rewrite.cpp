#include "drm/asf_header_rewrite.h"

#include <vector>

namespace drm::asf {

namespace {

using namespace wavetap::asf;

// Offsets inside the File Properties Object.
constexpr std::size_t kFileSizeOffset = 40;
constexpr std::size_t kPacketCountOffset = 56;
constexpr std::size_t kFlagsOffset = 88;
// The top bit of the Stream Properties Object's flags word marks encryption.
constexpr std::uint16_t kEncryptedContentFlag = 0x8000;
constexpr std::uint32_t kBroadcastFlag = 0x01;

struct ObjectSpan {
    std::size_t pos;
    std::size_t size;
};

bool IsProtectionObject(const std::uint8_t* object) {
    return GuidAt(object, kContentEncryptionObject) || GuidAt(object, kExtendedContentEncryptionObject) ||
           GuidAt(object, kAdvancedContentEncryptionObject);
}

const std::uint8_t* Bytes(const QByteArray& block) { return reinterpret_cast<const std::uint8_t*>(block.constData()); }

// The header's objects, checked to tile it exactly, with the layout they give.
HRESULT Walk(const QByteArray& block, std::vector<ObjectSpan>* objects, AsfLayout* layout) {
    const std::uint8_t* data = Bytes(block);
    const auto size = static_cast<std::size_t>(block.size());
    std::uint64_t blockSize = 0;
    if (HRESULT hr = HeaderBlockSize(data, size, &blockSize); Failed(hr)) return hr;
    if (blockSize != size) return NS_E_DRM_NOT_ASF;
    AsfLayout found;
    found.headerSize = ReadLe64(data + 16);
    const std::uint8_t* dataObject = data + found.headerSize;
    if (!GuidAt(dataObject, kDataObject)) return NS_E_DRM_NOT_ASF;
    found.dataObjectSize = ReadLe64(dataObject + 16);
    bool haveFileProperties = false;
    int streams = 0;
    std::size_t pos = kHeaderObjectFixedSize;
    while (pos < found.headerSize) {
        if (found.headerSize - pos < kObjectPrologSize) return NS_E_DRM_NOT_ASF;
        const std::uint8_t* object = data + pos;
        const std::uint64_t objectSize = ReadLe64(object + 16);
        if (objectSize < kObjectPrologSize || objectSize > found.headerSize - pos) return NS_E_DRM_NOT_ASF;
        if (GuidAt(object, kFilePropertiesObject)) {
            if (objectSize < kFilePropertiesMinSize || haveFileProperties) return NS_E_DRM_NOT_ASF;
            const std::uint32_t minSize = ReadLe32(object + kMinPacketSizeOffset);
            if (minSize == 0 || minSize != ReadLe32(object + kMaxPacketSizeOffset)) return NS_E_DRM_NOT_ASF;
            found.packetSize = minSize;
            found.dataPackets = ReadLe64(object + kPacketCountOffset);
            found.broadcast = ReadLe32(object + kFlagsOffset) & kBroadcastFlag;
            haveFileProperties = true;
        } else if (GuidAt(object, kStreamPropertiesObject)) {
            if (objectSize < kStreamPropertiesMinSize) return NS_E_DRM_NOT_ASF;
            if (ReadLe16(object + kStreamFlagsOffset) & kEncryptedContentFlag) found.protectedContent = true;
            ++streams;
        } else if (IsProtectionObject(object)) {
            found.protectedContent = true;
        }
        objects->push_back({pos, static_cast<std::size_t>(objectSize)});
        pos += static_cast<std::size_t>(objectSize);
    }
    if (!haveFileProperties || streams == 0) return NS_E_DRM_NOT_ASF;
    *layout = found;
    return S_OK;
}

// Moves the File Properties' file size by `delta` where the size is a real one.
void AdjustFileSize(std::uint8_t* header, const std::vector<ObjectSpan>& objects, std::int64_t delta,
                    const AsfLayout& layout) {
    for (const ObjectSpan& span : objects) {
        std::uint8_t* object = header + span.pos;
        if (!GuidAt(object, kFilePropertiesObject)) continue;
        const std::uint64_t fileSize = ReadLe64(object + kFileSizeOffset);
        if (!layout.broadcast && fileSize != 0)
            WriteLe64(object + kFileSizeOffset, fileSize + static_cast<std::uint64_t>(delta));
    }
}

}  // namespace

HRESULT HeaderBlockSize(const std::uint8_t* data, std::size_t size, std::uint64_t* blockSize) {
    if (size < kObjectPrologSize || !GuidAt(data, kHeaderObject)) return NS_E_DRM_NOT_ASF;
    const std::uint64_t headerSize = ReadLe64(data + 16);
    if (headerSize < kHeaderObjectFixedSize) return NS_E_DRM_NOT_ASF;
    if (headerSize > kMaxHeaderBlockSize - kDataObjectFixedSize) return NS_E_DRM_ASF_HEADER_TOO_LARGE;
    *blockSize = headerSize + kDataObjectFixedSize;
    return S_OK;
}

HRESULT ReadLayout(const QByteArray& block, AsfLayout* layout) {
    std::vector<ObjectSpan> objects;
    return Walk(block, &objects, layout);
}

HRESULT ProtectHeader(const QByteArray& block, const ProtectionMarks& marks, QByteArray* out) {
    std::vector<ObjectSpan> objects;
    AsfLayout layout;
    if (HRESULT hr = Walk(block, &objects, &layout); Failed(hr)) return hr;
    if (layout.protectedContent) return NS_E_DRM_ALREADY_PROTECTED;
    const QByteArray added = ContentEncryptionObject(marks) + ExtendedContentEncryptionObject(marks.rightsHeader);
    const auto headerSize = static_cast<qsizetype>(layout.headerSize);
    QByteArray result = block.left(headerSize) + added + block.mid(headerSize);
    auto* header = reinterpret_cast<std::uint8_t*>(result.data());
    WriteLe64(header + 16, layout.headerSize + static_cast<std::uint64_t>(added.size()));
    WriteLe32(header + kObjectCountOffset, ReadLe32(header + kObjectCountOffset) + 2);
    for (const ObjectSpan& span : objects) {
        std::uint8_t* object = header + span.pos;
        if (GuidAt(object, kStreamPropertiesObject))
            WriteLe16(object + kStreamFlagsOffset, ReadLe16(object + kStreamFlagsOffset) | kEncryptedContentFlag);
    }
    AdjustFileSize(header, objects, added.size(), layout);
    *out = result;
    return S_OK;
}

HRESULT UnprotectHeader(const QByteArray& block, QByteArray* out, ProtectionMarks* marks) {
    std::vector<ObjectSpan> objects;
    AsfLayout layout;
    if (HRESULT hr = Walk(block, &objects, &layout); Failed(hr)) return hr;
    if (HRESULT hr = ReadMarks(block, marks); Failed(hr)) return hr;
    const std::uint8_t* data = Bytes(block);
    QByteArray result = block.left(kHeaderObjectFixedSize);
    std::vector<ObjectSpan> kept;
    std::uint32_t removed = 0;
    for (const ObjectSpan& span : objects) {
        if (IsProtectionObject(data + span.pos)) {
            ++removed;
            continue;
        }
        kept.push_back({static_cast<std::size_t>(result.size()), span.size});
        result.append(block.mid(static_cast<qsizetype>(span.pos), static_cast<qsizetype>(span.size)));
    }
    const auto delta = static_cast<std::int64_t>(result.size()) - static_cast<std::int64_t>(layout.headerSize);
    result.append(block.mid(static_cast<qsizetype>(layout.headerSize)));
    auto* header = reinterpret_cast<std::uint8_t*>(result.data());
    WriteLe64(header + 16, layout.headerSize + static_cast<std::uint64_t>(delta));
    const std::uint32_t count = ReadLe32(header + kObjectCountOffset);
    WriteLe32(header + kObjectCountOffset, count >= removed ? count - removed : 0);
    for (const ObjectSpan& span : kept) {
        std::uint8_t* object = header + span.pos;
        if (GuidAt(object, kStreamPropertiesObject))
            WriteLe16(object + kStreamFlagsOffset,
                      ReadLe16(object + kStreamFlagsOffset) & static_cast<std::uint16_t>(~kEncryptedContentFlag));
    }
    AdjustFileSize(header, kept, delta, layout);
    *out = result;
    return S_OK;
}

HRESULT ReadMarks(const QByteArray& block, ProtectionMarks* marks) {
    std::vector<ObjectSpan> objects;
    AsfLayout layout;
    if (HRESULT hr = Walk(block, &objects, &layout); Failed(hr)) return hr;
    const std::uint8_t* data = Bytes(block);
    bool extended = false;
    ProtectionMarks found;
    for (const ObjectSpan& span : objects) {
        const std::uint8_t* object = data + span.pos;
        if (GuidAt(object, kContentEncryptionObject) && !ReadContentEncryptionObject(object, span.size, &found))
            return NS_E_DRM_INVALID_HEADER;
        if (GuidAt(object, kExtendedContentEncryptionObject)) {
            if (extended || !ReadExtendedContentEncryptionObject(object, span.size, &found))
                return NS_E_DRM_INVALID_HEADER;
            extended = true;
        }
    }
    if (!extended) return layout.protectedContent ? NS_E_DRM_INVALID_HEADER : NS_E_DRM_NOT_PROTECTED;
    *marks = found;
    return S_OK;
}

}  // namespace drm::asf
