#include "security/Crypt.h"

#include <cstring>
#include <string>

#include "security/CryptSettings.h"

namespace orvane {
namespace {

bool PlatformRc4PassesSelfTest() {
    const crypto::SelfTestFault fault = crypto::Rc4SelfTestFault();
    if (fault == crypto::SelfTestFault::kSetupFails)
        return false;
    const std::string password = crypto::Utf16LeBytes(kRc4TestPassword);
    crypto::Md5Digest key;
    if (!crypto::Md5(password.data(), password.size(), key))
        return false;
    std::string hello = crypto::Utf16LeBytes(u"Hello");
    if (!crypto::Rc4Platform(key, hello.data(), hello.size()))
        return false;
    if (fault == crypto::SelfTestFault::kWrongAnswer)
        hello[0] = static_cast<char>(hello[0] ^ 0x01);
    return crypto::UpperHexNoPad(hello.data(), hello.size()) == kRc4ExpectedAnswer;
}

}  // namespace

CCrypt::~CCrypt() {
    crypto::Wipe(key_.data(), key_.size());
}

bool CCrypt::Init(const void* password, std::size_t length) {
    hasKey_ = false;
    fallback_ = !PlatformRc4PassesSelfTest();
    // The built-in path takes the same key as the platform would: for the packet password that is
    // the MD5 digest of its UTF-16LE bytes.
    if (!crypto::Md5(password, length, key_))
        return false;
    hasKey_ = true;
    return true;
}

bool CCrypt::Encrypt(void* buffer, std::size_t& length) {
    if (!hasKey_)
        return false;
    if (fallback_) {
        crypto::Rc4BuiltIn(key_, buffer, length);
        return true;
    }
    return crypto::Rc4Platform(key_, buffer, length);
}

void ApplyPacketCipher(void* buffer, std::size_t length) {
    const std::string password = PacketPasswordBytes();
    CCrypt crypt;
    crypt.Init(password.data(), password.size());
    crypt.Encrypt(buffer, length);
}

}  // namespace orvane
