#include "security/MD5Hash.h"

#include <openssl/evp.h>

#include "security/CryptoCore.h"

namespace orvane {
CMD5Hash::~CMD5Hash() {
    Release();
}

void CMD5Hash::Release() {
    EVP_MD_CTX_free(ctx_);
    ctx_ = nullptr;
    failed_ = false;
}

void CMD5Hash::Update(const void* data, std::size_t count) {
    if (!ctx_) {
        ctx_ = EVP_MD_CTX_new();
        if (!ctx_)
            return;
        failed_ = !crypto::Md5Algorithm() || EVP_DigestInit_ex2(ctx_, crypto::Md5Algorithm(), nullptr) != 1;
    }
    if (!failed_ && count > 0 && EVP_DigestUpdate(ctx_, data, count) != 1)
        failed_ = true;
}

bool CMD5Hash::HexDigest(std::string& out) {
    if (!ctx_)
        return false;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    const bool ok = !failed_ && EVP_DigestFinal_ex(ctx_, digest, &size) == 1 && size == 16;
    Release();
    if (!ok)
        return false;
    static const char kDigits[] = "0123456789abcdef";
    for (unsigned int i = 0; i < size; ++i) {
        out += kDigits[digest[i] >> 4];
        out += kDigits[digest[i] & 0x0F];
    }
    return true;
}

bool CMD5Hash::HexDigest(std::u16string& out) {
    std::string hex;
    if (!HexDigest(hex))
        return false;
    out.append(hex.begin(), hex.end());
    return true;
}

std::string Md5Hex(std::string_view bytes) {
    CMD5Hash hash;
    hash.Update(bytes.data(), bytes.size());
    std::string out;
    hash.HexDigest(out);
    return out;
}

}  // namespace orvane
