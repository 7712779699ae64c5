#include "security/CryptSettings.h"

#include <mutex>

#include "security/CryptoCore.h"
#include "util/Text.h"

namespace orvane {
namespace {

struct Secrets {
    std::mutex lock;
    std::u16string packetPassword{kDefaultPacketPassword};
    std::string packetPasswordBytes = crypto::Utf16LeBytes(kDefaultPacketPassword);
    std::string aesKeyBytes = WideToUtf8String(kDefaultAesKeyText);
};

Secrets& Get() {
    static Secrets secrets;
    return secrets;
}

}  // namespace

void SetPacketPassword(std::u16string_view password) {
    Secrets& s = Get();
    std::lock_guard guard(s.lock);
    s.packetPassword = password;
    s.packetPasswordBytes = crypto::Utf16LeBytes(password);
}

std::u16string PacketPassword() {
    Secrets& s = Get();
    std::lock_guard guard(s.lock);
    return s.packetPassword;
}

std::string PacketPasswordBytes() {
    Secrets& s = Get();
    std::lock_guard guard(s.lock);
    return s.packetPasswordBytes;
}

void SetAesKeyText(std::u16string_view keyText) {
    Secrets& s = Get();
    std::lock_guard guard(s.lock);
    s.aesKeyBytes = WideToUtf8String(keyText);
}

std::string AesKeyBytes() {
    Secrets& s = Get();
    std::lock_guard guard(s.lock);
    return s.aesKeyBytes;
}

}  // namespace orvane
