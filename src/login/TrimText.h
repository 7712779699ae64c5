// White-space trimming of texts from the web service, with the set of spaces a Korean service may send
// (ASCII controls and blanks, no-break and ideographic spaces). Pure; any thread.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

constexpr bool IsWhiteSpace(char16_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

inline std::u16string TrimWhiteSpace(std::u16string_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsWhiteSpace(text[begin]))
        ++begin;
    while (end > begin && IsWhiteSpace(text[end - 1]))
        --end;
    return std::u16string(text.substr(begin, end - begin));
}

}  // namespace orvane
