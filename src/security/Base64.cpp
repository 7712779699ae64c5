#include "security/Base64.h"

#include <openssl/evp.h>

#include <algorithm>

namespace orvane {

std::string ToBase64(const void* bytes, std::size_t count) {
    std::string out;
    out.reserve((count + 2) / 3 * 4);
    const auto* p = static_cast<const unsigned char*>(bytes);
    // Whole groups of three bytes per call keep the padding at the very end.
    constexpr std::size_t kChunk = 3 * 1024;
    unsigned char encoded[kChunk / 3 * 4 + 1];
    while (count > 0) {
        const std::size_t n = std::min(count, kChunk);
        const int written = EVP_EncodeBlock(encoded, p, static_cast<int>(n));
        out.append(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(written));
        p += n;
        count -= n;
    }
    return out;
}

}  // namespace orvane
