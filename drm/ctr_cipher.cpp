#include "drm/ctr_cipher.h"

#include <openssl/evp.h>

#include <climits>

namespace drm {

struct CtrCipher::Context {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    ~Context() { EVP_CIPHER_CTX_free(ctx); }
};

CtrCipher::CtrCipher(const QByteArray& key) {
    if (key.size() != 16) return;
    auto context = std::make_unique<Context>();
    if (!context->ctx ||
        EVP_EncryptInit_ex(context->ctx, EVP_aes_128_ctr(), nullptr,
                           reinterpret_cast<const unsigned char*>(key.constData()), nullptr) != 1)
        return;
    ctx_ = std::move(context);
}

CtrCipher::~CtrCipher() = default;

bool CtrCipher::Crypt(const CtrNonce& nonce, std::uint64_t offset, std::uint8_t* data, std::size_t size) {
    if (!ctx_) return false;
    const std::uint64_t block = offset / 16;
    if (block > 0xFFFFFFFFull) return false;  // the counter is the low 32 bits of the block
    unsigned char iv[16];
    for (int i = 0; i < 12; ++i) iv[i] = nonce[static_cast<size_t>(i)];
    iv[12] = static_cast<unsigned char>(block >> 24);
    iv[13] = static_cast<unsigned char>(block >> 16);
    iv[14] = static_cast<unsigned char>(block >> 8);
    iv[15] = static_cast<unsigned char>(block);
    if (EVP_EncryptInit_ex(ctx_->ctx, nullptr, nullptr, nullptr, iv) != 1) return false;
    int written = 0;
    // Skip into the block where the piece begins.
    if (const int skip = static_cast<int>(offset % 16); skip > 0) {
        unsigned char scratch[16] = {};
        if (EVP_EncryptUpdate(ctx_->ctx, scratch, &written, scratch, skip) != 1) return false;
    }
    while (size > 0) {
        const int chunk = size > static_cast<std::size_t>(INT_MAX / 2) ? INT_MAX / 2 : static_cast<int>(size);
        if (EVP_EncryptUpdate(ctx_->ctx, data, &written, data, chunk) != 1) return false;
        data += chunk;
        size -= static_cast<std::size_t>(chunk);
    }
    return true;
}

}  // namespace drm
