// Hex literals for byte-exact tests: "01 0a FF" gives {0x01, 0x0A, 0xFF}; spaces are ignored.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::testing {

inline std::vector<std::uint8_t> Hex(std::string_view hex) {
    std::string digits;
    for (char c : hex)
        if (c != ' ')
            digits += c;
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return out;
}

}  // namespace orvane::testing
