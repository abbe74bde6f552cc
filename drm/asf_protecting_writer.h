#pragma once
// Writes a protected ASF file from what a muxer writes for the plain one, as it comes:
// the muxer's writes (header, packets one after another, index, then header updates
// at their offsets) land protected in the file, so nothing unprotected ever reaches
// the disk. The header grows by the encryption objects; everything after it moves by
// that much, packets keep their size.

#include "drm/asf_payload_cipher.h"
#include "drm/asf_protection_objects.h"
#include "drm/content_protection.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace drm::asf {

class AsfProtectingWriter {
public:
    explicit AsfProtectingWriter(const ContentProtection& protection);

    bool Open(const QString& path);
    // Bytes the muxer writes at `offset` of its plain file. False (and nothing more is
    // written) when they cannot be protected: writes out of order into the packets, a
    // packet that does not parse, a header that is not one, a disk error.
    bool Write(std::uint64_t offset, const char* data, std::size_t size);
    // False when the muxer stopped in the middle of a packet or an earlier write failed.
    bool Close();
    QString Error() const { return error_; }

private:
    bool Fail(const QString& why);
    bool WriteHeaderBytes(std::uint64_t offset, const char* data, std::size_t size);
    bool WriteProtectedHeader();
    bool TakePackets();
    bool WriteAt(std::uint64_t offset, const QByteArray& bytes);

    ProtectionMarks marks_;
    PayloadCipher cipher_;
    QFile file_;
    QString error_;
    bool failed_ = false;
    QByteArray header_;               // the plain header block as the muxer wrote it
    std::uint64_t headerReceived_ = 0;  // bytes of it received from the start on
    std::uint64_t blockSize_ = 0;     // 0 until known
    std::uint32_t packetSize_ = 0;
    std::int64_t shift_ = 0;          // what the protected header adds
    qsizetype protectedSize_ = 0;
    QByteArray pending_;              // bytes of a packet not complete yet
    std::uint64_t pendingOffset_ = 0;  // where pending_ starts in the plain file
    bool trailer_ = false;            // past the packets: index objects, copied as they are
};

}  // namespace drm::asf
