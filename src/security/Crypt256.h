// CCrypt256: the AES-256 password cipher of the connection password answer. One object per answer,
// used by one thread. Every Init runs the known-answer self test; when the platform does not give
// the expected answer, Encrypt passes the data through unchanged (the answer then carries the
// password unenciphered, which is what the peer's own fallback expects).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "security/CryptoCore.h"

namespace orvane {

// The self test: "Hello" as UTF-16LE with its terminating zero (12 bytes) enciphered under this
// password (its UTF-16LE bytes hashed with SHA-256) must give this answer (16 bytes as "%X").
inline constexpr std::u16string_view kAesTestPassword = u"orvaneaesprobex004";
inline constexpr std::string_view kAesExpectedAnswer = "C6B7A0FCEED693239B7E398A693E1";

class CCrypt256 {
  public:
    CCrypt256() = default;
    virtual ~CCrypt256();
    CCrypt256(const CCrypt256&) = delete;
    CCrypt256& operator=(const CCrypt256&) = delete;

    // Runs the self test, then derives the key: the SHA-256 digest of the password bytes, used with
    // AES-256-CBC, an all-zero initialisation vector and PKCS#7 padding.
    bool Init(const void* password, std::size_t length);

    // In place. `length` grows to the padded length ((length / 16 + 1) * 16), which `capacity` must
    // hold; otherwise nothing is written, `length` becomes the size needed and the result is false.
    // With the pass-through selected by the self test, returns true and changes nothing.
    bool Encrypt(void* buffer, std::size_t& length, std::size_t capacity);

    bool PassesThrough() const { return fallback_; }

  private:
    bool fallback_ = false;
    bool hasKey_ = false;
    crypto::Aes256Key key_{};
};

// The connection password answer: the UTF-8 bytes of `text` enciphered with CCrypt256 under the
// process's AES key text, padded to a whole block (16 to 31 bytes more than the text), as Base64.
// Empty when the cipher cannot be set up.
std::u16string EncryptToBase64(std::u16string_view text);

}  // namespace orvane
