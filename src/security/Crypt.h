// CCrypt: the RC4 password cipher of the text packets. One short-lived object per packet built,
// wrapped or read, used by one thread. Every Init runs the known-answer self test of the platform
// RC4 (OpenSSL's legacy provider); when that does not give the expected answer, the object uses
// the built-in RC4, which produces the same key stream, so the bytes on the wire do not change.
#pragma once

#include <cstddef>
#include <string_view>

#include "security/CryptoCore.h"

namespace orvane {

// The self test: "Hello" as UTF-16LE (10 bytes) enciphered under this password (its UTF-16LE
// bytes hashed with MD5) must give this answer (each cipher byte as "%X").
inline constexpr std::u16string_view kRc4TestPassword = u"orvaneselftestv";
inline constexpr std::string_view kRc4ExpectedAnswer = "1CE064DB9A6BDC7A78";

class CCrypt {
  public:
    CCrypt() = default;
    virtual ~CCrypt();
    CCrypt(const CCrypt&) = delete;
    CCrypt& operator=(const CCrypt&) = delete;

    // Runs the self test, then derives the 128-bit RC4 key: the MD5 digest of the password bytes.
    // True also when the self test selected the built-in RC4. False only when no key could be made;
    // Encrypt and Decrypt then fail and leave the buffer as it is.
    bool Init(const void* password, std::size_t length);

    // In place; RC4 keeps the length. Each call starts from the key's initial state, so the two
    // are the same operation.
    bool Encrypt(void* buffer, std::size_t& length);
    bool Decrypt(void* buffer, std::size_t& length) { return Encrypt(buffer, length); }

    // True after an Init whose self test did not match (the built-in RC4 is in use).
    bool UsesBuiltInRc4() const { return fallback_; }

  private:
    bool fallback_ = false;
    bool hasKey_ = false;
    crypto::Rc4Key key_{};
};

// Enciphers (or deciphers) `buffer` in place with a fresh CCrypt under the process's packet
// password; the results of set-up and encryption are ignored, as the packet layer does.
void ApplyPacketCipher(void* buffer, std::size_t length);

}  // namespace orvane
