#include "drm/asf_payload_cipher.h"

namespace drm::asf {

bool PayloadCipher::CryptPacket(std::uint8_t* packet, std::size_t size) {
    if (!ReadPayloads(packet, size, &pieces_)) return false;
    for (const PayloadPiece& piece : pieces_) {
        CtrNonce nonce{};
        for (int i = 0; i < 4; ++i) {
            nonce[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(piece.presentationTime >> (8 * i));
            nonce[static_cast<std::size_t>(4 + i)] = static_cast<std::uint8_t>(piece.objectNumber >> (8 * i));
        }
        nonce[8] = piece.stream;
        if (!cipher_.Crypt(nonce, piece.objectOffset, packet + piece.dataPos, piece.dataSize)) return false;
    }
    return true;
}

}  // namespace drm::asf
