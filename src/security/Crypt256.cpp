#include "security/Crypt256.h"

#include <cstring>
#include <vector>

#include "security/Base64.h"
#include "security/CryptSettings.h"
#include "util/Text.h"

namespace orvane {
namespace {

constexpr std::array<std::uint8_t, 16> kZeroIv{};

bool PlatformAesPassesSelfTest() {
    const crypto::SelfTestFault fault = crypto::AesSelfTestFault();
    if (fault == crypto::SelfTestFault::kSetupFails)
        return false;
    const std::string password = crypto::Utf16LeBytes(kAesTestPassword);
    crypto::Sha256Digest key;
    if (!crypto::Sha256(password.data(), password.size(), key))
        return false;
    std::uint8_t block[16] = {};
    const std::string hello = crypto::Utf16LeBytes(std::u16string_view(u"Hello", 6));
    std::memcpy(block, hello.data(), hello.size());
    std::size_t length = hello.size();
    if (!crypto::Aes256CbcEncrypt(key, kZeroIv, block, length, sizeof block) || length != sizeof block)
        return false;
    if (fault == crypto::SelfTestFault::kWrongAnswer)
        block[0] ^= 0x01;
    return crypto::UpperHexNoPad(block, sizeof block) == kAesExpectedAnswer;
}

}  // namespace

CCrypt256::~CCrypt256() {
    crypto::Wipe(key_.data(), key_.size());
}

bool CCrypt256::Init(const void* password, std::size_t length) {
    hasKey_ = false;
    fallback_ = !PlatformAesPassesSelfTest();
    if (fallback_)
        return true;
    if (!crypto::Sha256(password, length, key_))
        return false;
    hasKey_ = true;
    return true;
}

bool CCrypt256::Encrypt(void* buffer, std::size_t& length, std::size_t capacity) {
    if (fallback_)
        return true;
    if (!hasKey_)
        return false;
    return crypto::Aes256CbcEncrypt(key_, kZeroIv, buffer, length, capacity);
}

std::u16string EncryptToBase64(std::u16string_view text) {
    const std::string utf8 = WideToUtf8String(text);
    const std::string key = AesKeyBytes();
    CCrypt256 cipher;
    if (!cipher.Init(key.data(), key.size()))
        return {};
    // Always a whole block more than the text rounded down; the bytes after the text stay zero
    // when the cipher passes data through.
    const std::size_t capacity = utf8.size() / 16 * 16 + 16;
    std::vector<std::uint8_t> buffer(capacity, 0);
    std::memcpy(buffer.data(), utf8.data(), utf8.size());
    std::size_t length = utf8.size();
    cipher.Encrypt(buffer.data(), length, capacity);
    return Utf8StringToWide(ToBase64(buffer.data(), buffer.size()));
}

}  // namespace orvane
