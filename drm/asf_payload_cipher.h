#pragma once
// En- or decrypts the media data of ASF data packets in place with the content key.
// Each media object is one counter-mode message whose nonce is its stream, object
// number and presentation time; a piece is crypted from its offset in the object, so
// packets stay the same size and each can be decrypted alone (a viewer joining late).

#include "drm/asf_packet_payloads.h"
#include "drm/ctr_cipher.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace drm::asf {

class PayloadCipher {
public:
    explicit PayloadCipher(const QByteArray& contentKey) : cipher_(contentKey) {}
    bool Valid() const { return cipher_.Valid(); }
    // False when the packet does not parse (it is then left as it was).
    bool CryptPacket(std::uint8_t* packet, std::size_t size);

private:
    CtrCipher cipher_;
    std::vector<PayloadPiece> pieces_;
};

}  // namespace drm::asf
