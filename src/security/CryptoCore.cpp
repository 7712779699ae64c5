#include "security/CryptoCore.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <memory>

namespace orvane::crypto {
namespace {

// The process's one private library context with the algorithms fetched once. Fetched algorithm
// objects are immutable and may be used from any thread at the same time.
class Library {
  public:
    Library() {
        ctx_ = OSSL_LIB_CTX_new();
        if (!ctx_)
            return;
        default_ = OSSL_PROVIDER_load(ctx_, "default");
        legacy_ = OSSL_PROVIDER_load(ctx_, "legacy");
        md5_ = EVP_MD_fetch(ctx_, "MD5", nullptr);
        sha256_ = EVP_MD_fetch(ctx_, "SHA2-256", nullptr);
        aes_ = EVP_CIPHER_fetch(ctx_, "AES-256-CBC", nullptr);
        if (legacy_)
            rc4_ = EVP_CIPHER_fetch(ctx_, "RC4", nullptr);
    }
    ~Library() {
        EVP_CIPHER_free(rc4_);
        EVP_CIPHER_free(aes_);
        EVP_MD_free(sha256_);
        EVP_MD_free(md5_);
        if (legacy_)
            OSSL_PROVIDER_unload(legacy_);
        if (default_)
            OSSL_PROVIDER_unload(default_);
        OSSL_LIB_CTX_free(ctx_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    const EVP_MD* md5() const { return md5_; }
    const EVP_MD* sha256() const { return sha256_; }
    const EVP_CIPHER* rc4() const { return rc4_; }
    const EVP_CIPHER* aes() const { return aes_; }

  private:
    OSSL_LIB_CTX* ctx_ = nullptr;
    OSSL_PROVIDER* default_ = nullptr;
    OSSL_PROVIDER* legacy_ = nullptr;
    EVP_MD* md5_ = nullptr;
    EVP_MD* sha256_ = nullptr;
    EVP_CIPHER* rc4_ = nullptr;
    EVP_CIPHER* aes_ = nullptr;
};

const Library& Lib() {
    static const Library library;
    return library;
}

struct CipherCtxFree {
    void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree>;

bool Digest(const EVP_MD* md, const void* data, std::size_t count, unsigned char* out, unsigned int size) {
    if (!md)
        return false;
    unsigned int written = 0;
    // EVP_Digest takes a size_t count, so long inputs need no chunking.
    return EVP_Digest(count ? data : "", count, out, &written, md, nullptr) == 1 && written == size;
}

std::atomic<SelfTestFault> g_rc4Fault{SelfTestFault::kNone};
std::atomic<SelfTestFault> g_aesFault{SelfTestFault::kNone};

}  // namespace

bool Md5(const void* data, std::size_t count, Md5Digest& out) {
    return Digest(Lib().md5(), data, count, out.data(), out.size());
}

const EVP_MD* Md5Algorithm() {
    return Lib().md5();
}

bool Sha256(const void* data, std::size_t count, Sha256Digest& out) {
    return Digest(Lib().sha256(), data, count, out.data(), out.size());
}

bool Rc4Platform(const Rc4Key& key, void* buffer, std::size_t count) {
    const EVP_CIPHER* rc4 = Lib().rc4();
    if (!rc4)
        return false;
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    if (!ctx || EVP_EncryptInit_ex2(ctx.get(), rc4, key.data(), nullptr, nullptr) != 1)
        return false;
    auto* p = static_cast<unsigned char*>(buffer);
    while (count > 0) {
        const int chunk = static_cast<int>(std::min<std::size_t>(count, INT_MAX / 2));
        int written = 0;
        if (EVP_EncryptUpdate(ctx.get(), p, &written, p, chunk) != 1 || written != chunk)
            return false;
        p += chunk;
        count -= static_cast<std::size_t>(chunk);
    }
    return true;
}

void Rc4BuiltIn(const Rc4Key& key, void* buffer, std::size_t count) {
    std::uint8_t s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<std::uint8_t>(i);
    std::uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + s[i] + key[i % key.size()]);
        std::swap(s[i], s[j]);
    }
    std::uint8_t i = 0;
    j = 0;
    auto* p = static_cast<std::uint8_t*>(buffer);
    for (std::size_t n = 0; n < count; ++n) {
        i = static_cast<std::uint8_t>(i + 1);
        j = static_cast<std::uint8_t>(j + s[i]);
        std::swap(s[i], s[j]);
        p[n] ^= s[static_cast<std::uint8_t>(s[i] + s[j])];
    }
}

bool Aes256CbcEncrypt(const Aes256Key& key, const std::array<std::uint8_t, 16>& iv, void* buffer,
                      std::size_t& length, std::size_t capacity) {
    const std::size_t padded = (length / 16 + 1) * 16;
    if (length > static_cast<std::size_t>(INT_MAX) - 32 || padded > capacity) {
        length = padded;
        return false;
    }
    const EVP_CIPHER* aes = Lib().aes();
    if (!aes)
        return false;
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    if (!ctx || EVP_EncryptInit_ex2(ctx.get(), aes, key.data(), iv.data(), nullptr) != 1)
        return false;
    auto* p = static_cast<unsigned char*>(buffer);
    int body = 0;
    int tail = 0;
    if (EVP_EncryptUpdate(ctx.get(), p, &body, p, static_cast<int>(length)) != 1 ||
        EVP_EncryptFinal_ex(ctx.get(), p + body, &tail) != 1 ||
        static_cast<std::size_t>(body) + static_cast<std::size_t>(tail) != padded)
        return false;
    length = padded;
    return true;
}

std::string UpperHexNoPad(const void* data, std::size_t count) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    const auto* p = static_cast<const std::uint8_t*>(data);
    for (std::size_t n = 0; n < count; ++n) {
        if (p[n] >= 0x10)
            out += kDigits[p[n] >> 4];
        out += kDigits[p[n] & 0x0F];
    }
    return out;
}

void Wipe(void* data, std::size_t count) {
    OPENSSL_cleanse(data, count);
}

std::string Utf16LeBytes(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

void SetRc4SelfTestFaultForTesting(SelfTestFault fault) {
    g_rc4Fault = fault;
}
void SetAesSelfTestFaultForTesting(SelfTestFault fault) {
    g_aesFault = fault;
}
SelfTestFault Rc4SelfTestFault() {
    return g_rc4Fault;
}
SelfTestFault AesSelfTestFault() {
    return g_aesFault;
}

}  // namespace orvane::crypto
