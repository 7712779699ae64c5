// The primitives under the password ciphers and digests, on OpenSSL 3 libcrypto in a private
// library context (default and legacy providers loaded into it, so the system's OpenSSL
// configuration cannot take RC4 or MD5 away from this program's wire format).
// Used by CCrypt, CCrypt256 and CMD5Hash, and by the tests against published vectors.
// All functions are thread-safe; none keeps state between calls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct evp_md_st;

namespace orvane::crypto {

using Md5Digest = std::array<std::uint8_t, 16>;
using Sha256Digest = std::array<std::uint8_t, 32>;
using Aes256Key = std::array<std::uint8_t, 32>;
using Rc4Key = std::array<std::uint8_t, 16>;

bool Md5(const void* data, std::size_t count, Md5Digest& out);
// The MD5 algorithm of the private context, for incremental digests (null if unavailable).
const evp_md_st* Md5Algorithm();
bool Sha256(const void* data, std::size_t count, Sha256Digest& out);

// RC4 through the legacy provider, from the key's initial state, in place. False when the legacy
// provider is not available or the cipher fails; the buffer is then unchanged.
bool Rc4Platform(const Rc4Key& key, void* buffer, std::size_t count);

// The built-in RC4 with a 16-byte key, from the key's initial state, in place. Always succeeds.
void Rc4BuiltIn(const Rc4Key& key, void* buffer, std::size_t count);

// AES-256-CBC with PKCS#7 padding over the first `length` bytes of `buffer`, in place, from the
// given initialisation vector. The cipher text is (length / 16 + 1) * 16 bytes and must fit in
// `capacity`; otherwise nothing is written, `length` becomes the size needed and the result is false.
bool Aes256CbcEncrypt(const Aes256Key& key, const std::array<std::uint8_t, 16>& iv, void* buffer,
                      std::size_t& length, std::size_t capacity);

// The cipher answer text of the self tests: each byte as uppercase hexadecimal without a leading
// zero (0x0A gives "A", 0xAB gives "AB"), concatenated.
std::string UpperHexNoPad(const void* data, std::size_t count);

// Overwrites key material so it does not linger in freed memory.
void Wipe(void* data, std::size_t count);

// UTF-16LE bytes of a text, as the ciphers hash their passwords.
std::string Utf16LeBytes(std::u16string_view text);

// Test hooks: make the platform side of a self test fail, either at set-up or by a wrong answer,
// so the fallback paths can be exercised. Process-wide; tests reset them to kNone.
enum class SelfTestFault { kNone, kSetupFails, kWrongAnswer };
void SetRc4SelfTestFaultForTesting(SelfTestFault fault);
void SetAesSelfTestFaultForTesting(SelfTestFault fault);
SelfTestFault Rc4SelfTestFault();
SelfTestFault AesSelfTestFault();

}  // namespace orvane::crypto
