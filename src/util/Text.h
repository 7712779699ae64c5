// Text conversions at the program's byte boundaries. Internal text is UTF-16 (std::u16string);
// "ANSI" means CP949, the Korean Windows code page the peers and older settings files use.
// All functions are pure and thread-safe.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// CP949 bytes (up to the first zero byte) to UTF-16. Null gives empty text. Bytes that are not
// valid CP949 become "?".
std::u16string AnsiToWide(const char* text);
std::u16string AnsiToWide(std::string_view bytes);

// UTF-16 to CP949. Characters without a CP949 mapping (and lone surrogates) become "?".
std::string WideToAnsi(std::u16string_view text);

// UTF-8 bytes (up to the first zero byte) to UTF-16. Null gives empty text. Malformed sequences
// become U+FFFD.
std::u16string Utf8ToWide(const char* text);

// UTF-16 to UTF-8. Lone surrogates become U+FFFD.
std::string WideToUtf8String(std::u16string_view text);

// UTF-8 to UTF-16. Malformed sequences become U+FFFD.
std::u16string Utf8StringToWide(std::string_view bytes);

// Splits `text` at `separator` into `out` (cleared first), after removing every double quote.
// A separator of "\n" or "\r\n" splits lines and folds "\r\n" to "\n" first.
// Returns the number of pieces plus one (a text of eight comma-separated fields gives 9), and 0
// for an empty text. Protocol callers rely on that count.
int SplitText(std::u16string_view text, std::u16string_view separator, std::vector<std::u16string>& out);

// Short-hand for literals in code that builds protocol texts: u"..." is already UTF-16.
inline std::u16string W(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

}  // namespace orvane
