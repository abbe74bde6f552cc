#include "client/service/password_digest.h"

#include <openssl/evp.h>

#include "platform/code_page.h"

QString PasswordDigest(const QString& password) {
    const QByteArray bytes = platform::ToAnsi(password);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.constData(), static_cast<std::size_t>(bytes.size()), digest, &length, EVP_md5(), nullptr) != 1) {
        return QString();
    }
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), static_cast<qsizetype>(length)).toHex());
}
