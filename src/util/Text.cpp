#include "util/Text.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace orvane {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// One iconv conversion descriptor per direction and thread: iconv_t is not thread-safe, and
// opening one per call is slow enough to show in the protocol's hot paths.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts one unit; returns false when the input cannot be converted.
    bool Convert(const char* in, size_t inLen, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buffer[16];
        char* src = const_cast<char*>(in);
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        if (iconv(cd_, &src, &inLen, &dst, &dstLeft) == static_cast<size_t>(-1) || inLen != 0)
            return false;
        out.append(buffer, sizeof buffer - dstLeft);
        return true;
    }

  private:
    iconv_t cd_;
};

Converter& ToCp949() {
    thread_local Converter c("CP949", "UTF-16LE");
    return c;
}
Converter& FromCp949() {
    thread_local Converter c("UTF-16LE", "CP949");
    return c;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

}  // namespace

std::u16string AnsiToWide(const char* text) {
    if (text == nullptr)
        return {};
    return AnsiToWide(std::string_view(text));
}

std::u16string AnsiToWide(std::string_view bytes) {
    bytes = bytes.substr(0, std::min(bytes.size(), bytes.find('\0')));
    std::u16string out;
    out.reserve(bytes.size());
    Converter& conv = FromCp949();
    std::string unit;
    size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            out += static_cast<char16_t>(c);
            ++i;
            continue;
        }
        // CP949 is a double-byte code: a lead byte 0x81-0xFE and one trail byte.
        unit.clear();
        if (i + 1 < bytes.size() && conv.ok() && conv.Convert(bytes.data() + i, 2, unit) &&
            unit.size() == 2) {
            out += static_cast<char16_t>(static_cast<unsigned char>(unit[0]) |
                                         (static_cast<unsigned char>(unit[1]) << 8));
            i += 2;
        } else {
            out += u'?';
            ++i;
        }
    }
    return out;
}

std::string WideToAnsi(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    Converter& conv = ToCp949();
    for (char16_t ch : text) {
        if (ch < 0x80) {
            out += static_cast<char>(ch);
            continue;
        }
        const char le[2] = {static_cast<char>(ch & 0xFF), static_cast<char>(ch >> 8)};
        // Surrogates are never representable in CP949.
        if ((ch >= 0xD800 && ch <= 0xDFFF) || !conv.ok() || !conv.Convert(le, 2, out))
            out += '?';
    }
    return out;
}

std::u16string Utf8ToWide(const char* text) {
    if (text == nullptr)
        return {};
    return Utf8StringToWide(std::string_view(text));
}

std::string WideToUtf8String(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::u16string Utf8StringToWide(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        int extra = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (c < 0x80) {
            out += static_cast<char16_t>(c);
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1, cp = c & 0x1F, min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2, cp = c & 0x0F, min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3, cp = c & 0x07, min = 0x10000;
        } else {
            out += kReplacement;
            ++i;
            continue;
        }
        size_t j = 1;
        for (; j <= static_cast<size_t>(extra); ++j) {
            if (i + j >= bytes.size())
                break;
            const unsigned char cc = static_cast<unsigned char>(bytes[i + j]);
            if ((cc & 0xC0) != 0x80)
                break;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (j != static_cast<size_t>(extra) + 1 || cp < min || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += kReplacement;
            i += j;  // skip the lead byte and the continuation bytes that were consumed
            continue;
        }
        AppendUtf16(out, cp);
        i += j;
    }
    return out;
}

int SplitText(std::u16string_view text, std::u16string_view separator, std::vector<std::u16string>& out) {
    out.clear();
    if (text.empty())
        return 0;
    std::u16string work;
    work.reserve(text.size());
    for (char16_t ch : text)
        if (ch != u'"')
            work += ch;
    std::u16string sep(separator);
    if (sep == u"\n" || sep == u"\r\n") {
        std::u16string folded;
        folded.reserve(work.size());
        for (size_t i = 0; i < work.size(); ++i) {
            if (work[i] == u'\r' && i + 1 < work.size() && work[i + 1] == u'\n')
                continue;
            folded += work[i];
        }
        work.swap(folded);
        sep.assign(1, u'\n');
    }
    if (sep.empty()) {
        out.push_back(work);
        return static_cast<int>(out.size()) + 1;
    }
    size_t start = 0;
    for (;;) {
        const size_t pos = work.find(sep, start);
        if (pos == std::u16string::npos) {
            out.push_back(work.substr(start));
            break;
        }
        out.push_back(work.substr(start, pos - start));
        start = pos + sep.size();
    }
    return static_cast<int>(out.size()) + 1;
}

}  // namespace orvane
