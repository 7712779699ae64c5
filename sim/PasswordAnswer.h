// Reading the pad's connection password answer "[RC00024]0,<Base64>": Base64 of the UTF-8 password
// enciphered with AES-256-CBC (key = SHA-256 of the AES key text, zero IV, PKCS#7). The answer
// comes from the network; every step checks what it reads. Pure functions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::sim {

// Standard Base64 with "=" padding to a multiple of 4 characters and nothing else; nullopt for
// any other text.
std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text);

struct PasswordAnswer {
    bool readable = false;
    bool enciphered = false;  // false: the pad's cipher passed the text through (text, then zeros)
    std::string password;     // UTF-8
    std::string problem;      // why it is not readable
};

// `args`: the text after "[RC00024]". `aesKeyText`: the AES key text as the pad hashes it.
PasswordAnswer ReadPasswordAnswer(std::u16string_view args, std::string_view aesKeyText);

// The pad's side, for tests and tools: the answer's Base64 for `password`.
std::string EncipherPassword(std::string_view password, std::string_view aesKeyText);

}  // namespace orvane::sim
