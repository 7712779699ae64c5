#include "sim/PasswordAnswer.h"

#include <openssl/evp.h>
#include <openssl/sha.h>

#include <algorithm>
#include <array>
#include <memory>

#include "security/Base64.h"
#include "util/Text.h"

namespace orvane::sim {
namespace {

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

std::array<unsigned char, 32> KeyOf(std::string_view keyText) {
    std::array<unsigned char, 32> key{};
    SHA256(reinterpret_cast<const unsigned char*>(keyText.data()), keyText.size(), key.data());
    return key;
}

// AES-256-CBC with PKCS#7 and a zero IV, either way. nullopt when the padding does not check out.
std::optional<std::vector<std::uint8_t>> Aes(bool encrypt, const std::vector<std::uint8_t>& in,
                                             std::string_view keyText) {
    const auto key = KeyOf(keyText);
    const unsigned char iv[16] = {};
    CipherContext ctx(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    std::vector<std::uint8_t> out(in.size() + 16);
    int n1 = 0, n2 = 0;
    if (!ctx ||
        EVP_CipherInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr, key.data(), iv, encrypt ? 1 : 0) != 1 ||
        EVP_CipherUpdate(ctx.get(), out.data(), &n1, in.data(), static_cast<int>(in.size())) != 1 ||
        EVP_CipherFinal_ex(ctx.get(), out.data() + n1, &n2) != 1)
        return std::nullopt;
    out.resize(static_cast<std::size_t>(n1 + n2));
    return out;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text) {
    if (text.size() % 4 != 0)
        return std::nullopt;
    std::vector<std::uint8_t> out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        int v[4];
        int pad = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text[i + k];
            if (c == '=' && last && k >= 2) {
                v[k] = 0;
                ++pad;
                continue;
            }
            if (pad > 0)
                return std::nullopt;  // data after padding
            v[k] = Base64Value(c);
            if (v[k] < 0)
                return std::nullopt;
        }
        const std::uint32_t bits = (v[0] << 18) | (v[1] << 12) | (v[2] << 6) | v[3];
        out.push_back(static_cast<std::uint8_t>(bits >> 16));
        if (pad < 2)
            out.push_back(static_cast<std::uint8_t>(bits >> 8));
        if (pad < 1)
            out.push_back(static_cast<std::uint8_t>(bits));
    }
    return out;
}

PasswordAnswer ReadPasswordAnswer(std::u16string_view args, std::string_view aesKeyText) {
    PasswordAnswer answer;
    const std::size_t comma = args.find(u',');
    if (comma == std::u16string_view::npos || args.substr(0, comma) != u"0") {
        answer.problem = "the answer is not \"0,<Base64>\"";
        return answer;
    }
    const std::string base64 = WideToUtf8String(args.substr(comma + 1));
    const auto bytes = DecodeBase64(base64);
    if (!bytes || bytes->empty() || bytes->size() % 16 != 0) {
        answer.problem = "not Base64 of whole 16-byte blocks";
        return answer;
    }
    if (const auto plain = Aes(false, *bytes, aesKeyText)) {
        answer.readable = true;
        answer.enciphered = true;
        answer.password.assign(plain->begin(), plain->end());
        return answer;
    }
    // The pad's own fallback passes the text through: the UTF-8 text, then zero bytes to the end.
    const auto zero = std::find(bytes->begin(), bytes->end(), 0);
    if (zero != bytes->end() && std::all_of(zero, bytes->end(), [](std::uint8_t b) { return b == 0; })) {
        answer.readable = true;
        answer.password.assign(bytes->begin(), zero);
        return answer;
    }
    answer.problem = "does not decipher under the AES key text";
    return answer;
}

std::string EncipherPassword(std::string_view password, std::string_view aesKeyText) {
    const auto out = Aes(true, std::vector<std::uint8_t>(password.begin(), password.end()), aesKeyText);
    return out ? ToBase64(out->data(), out->size()) : std::string();
}

}  // namespace orvane::sim
