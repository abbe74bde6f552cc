#pragma once
// AES-128 in counter mode over pieces of a longer message: a piece is given by the
// message's 12-byte nonce and its offset into the message, so the pieces of one media
// object may be en- or decrypted in any order and alone. The same call does both.

#include <QByteArray>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace drm {

using CtrNonce = std::array<std::uint8_t, 12>;

class CtrCipher {
public:
    // A 16-byte key; Valid() is false for any other.
    explicit CtrCipher(const QByteArray& key);
    ~CtrCipher();
    CtrCipher(const CtrCipher&) = delete;
    CtrCipher& operator=(const CtrCipher&) = delete;

    bool Valid() const { return ctx_ != nullptr; }
    // XORs `size` bytes with the key stream of the message `nonce` from `offset` on.
    bool Crypt(const CtrNonce& nonce, std::uint64_t offset, std::uint8_t* data, std::size_t size);

private:
    struct Context;
    std::unique_ptr<Context> ctx_;
};

}  // namespace drm
