// Byte helpers for the protocol tests: whole packets around a payload.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/Hex.h"

namespace orvane::testing {

// Check word of tick 0x5A, the length field, then `body` (kind byte and payload).
inline std::vector<std::uint8_t> Framed(const std::vector<std::uint8_t>& body) {
    std::vector<std::uint8_t> out = {0xA2, 0xA1, 0xA5, 0x5A};
    const auto length = static_cast<std::uint32_t>(body.size() + 4);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(length >> shift));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

inline std::vector<std::uint8_t> Concat(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace orvane::testing
