#include "platform/PrivateProfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "util/Text.h"

namespace orvane {
namespace {

// One line of the file: its raw bytes (terminator included) and its decoded text (terminator
// excluded). Only lines that a write touches are ever re-encoded.
struct Line {
    std::string raw;
    std::u16string text;
};

struct ParsedFile {
    ProfileEncoding encoding = ProfileEncoding::kAnsi;
    std::string mark;  // the byte-order mark, kept as it was
    std::vector<Line> lines;
};

ProfileEncoding DetectFromMark(std::string_view bytes, std::string& mark) {
    auto starts = [&](std::string_view m) { return bytes.substr(0, m.size()) == m; };
    if (starts("\xFF\xFE"))
        return mark = "\xFF\xFE", ProfileEncoding::kUtf16Le;
    if (starts("\xFE\xFF"))
        return mark = "\xFE\xFF", ProfileEncoding::kUtf16Be;
    if (starts("\xEF\xBB\xBF"))
        return mark = "\xEF\xBB\xBF", ProfileEncoding::kUtf8Bom;
    mark.clear();
    return ProfileEncoding::kAnsi;
}

bool IsWide(ProfileEncoding e) {
    return e == ProfileEncoding::kUtf16Le || e == ProfileEncoding::kUtf16Be;
}

std::u16string Decode(std::string_view raw, ProfileEncoding e) {
    switch (e) {
        case ProfileEncoding::kUtf16Le:
        case ProfileEncoding::kUtf16Be: {
            std::u16string out;
            out.reserve(raw.size() / 2);
            const bool le = e == ProfileEncoding::kUtf16Le;
            for (size_t i = 0; i + 1 < raw.size(); i += 2) {
                const auto a = static_cast<unsigned char>(raw[i]);
                const auto b = static_cast<unsigned char>(raw[i + 1]);
                out += static_cast<char16_t>(le ? (a | (b << 8)) : ((a << 8) | b));
            }
            return out;  // a trailing odd byte is not text; it stays in the raw line
        }
        case ProfileEncoding::kUtf8:
        case ProfileEncoding::kUtf8Bom:
            return Utf8StringToWide(raw);
        case ProfileEncoding::kAnsi:
            break;
    }
    // CP949 text never holds a zero byte; treat one as part of the text rather than the end.
    std::u16string out;
    size_t start = 0;
    for (;;) {
        const size_t zero = raw.find('\0', start);
        out += AnsiToWide(raw.substr(start, zero == std::string_view::npos ? raw.npos : zero - start));
        if (zero == std::string_view::npos)
            break;
        out += u'\0';
        start = zero + 1;
    }
    return out;
}

std::string Encode(std::u16string_view text, ProfileEncoding e) {
    switch (e) {
        case ProfileEncoding::kUtf16Le:
        case ProfileEncoding::kUtf16Be: {
            std::string out;
            out.reserve(text.size() * 2);
            for (char16_t ch : text) {
                const char lo = static_cast<char>(ch & 0xFF), hi = static_cast<char>(ch >> 8);
                if (e == ProfileEncoding::kUtf16Le)
                    out += lo, out += hi;
                else
                    out += hi, out += lo;
            }
            return out;
        }
        case ProfileEncoding::kUtf8:
        case ProfileEncoding::kUtf8Bom:
            return WideToUtf8String(text);
        case ProfileEncoding::kAnsi:
            break;
    }
    return WideToAnsi(text);
}

ParsedFile Parse(std::string_view bytes, const ProfileEncoding* forced) {
    ParsedFile file;
    file.encoding = DetectFromMark(bytes, file.mark);
    if (forced != nullptr && file.mark.empty())
        file.encoding = *forced;
    std::string_view body = bytes.substr(file.mark.size());
    const size_t unit = IsWide(file.encoding) ? 2 : 1;
    const bool le = file.encoding == ProfileEncoding::kUtf16Le;
    size_t start = 0;
    size_t i = 0;
    while (i + unit <= body.size()) {
        bool newline;
        if (unit == 1) {
            newline = body[i] == '\n';
        } else {
            newline =
                le ? (body[i] == '\n' && body[i + 1] == '\0') : (body[i] == '\0' && body[i + 1] == '\n');
        }
        i += unit;
        if (newline) {
            file.lines.push_back({std::string(body.substr(start, i - start)), {}});
            start = i;
        }
    }
    if (start < body.size())
        file.lines.push_back({std::string(body.substr(start)), {}});
    for (Line& line : file.lines) {
        line.text = Decode(line.raw, file.encoding);
        while (!line.text.empty() && (line.text.back() == u'\n' || line.text.back() == u'\r'))
            line.text.pop_back();
    }
    return file;
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char16_t FoldCase(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

// The section name of a header line, or false when the line is not a header.
bool SectionOf(std::u16string_view text, std::u16string_view& name) {
    text = Trim(text);
    if (text.empty() || text.front() != u'[')
        return false;
    text.remove_prefix(1);
    const size_t close = text.find(u']');
    name = Trim(text.substr(0, close));
    return true;
}

// The key and value of a "key=value" line, or false when the line has no "=".
bool EntryOf(std::u16string_view text, std::u16string_view& key, std::u16string_view& value) {
    const size_t eq = text.find(u'=');
    if (eq == std::u16string_view::npos)
        return false;
    key = Trim(text.substr(0, eq));
    value = Trim(text.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return true;
}

struct Location {
    long sectionLine = -1;  // header of the first matching section
    long keyLine = -1;      // the matching key inside it
    long lastContent = -1;  // last non-blank line of that section (the header when empty)
};

Location Find(const ParsedFile& file, std::u16string_view section, std::u16string_view key) {
    Location at;
    bool inside = false;
    for (size_t i = 0; i < file.lines.size(); ++i) {
        std::u16string_view name;
        if (SectionOf(file.lines[i].text, name)) {
            if (inside)
                break;  // the first matching section ends here
            if (SameName(name, section)) {
                inside = true;
                at.sectionLine = at.lastContent = static_cast<long>(i);
            }
            continue;
        }
        if (!inside)
            continue;
        if (!Trim(file.lines[i].text).empty())
            at.lastContent = static_cast<long>(i);
        std::u16string_view k, v;
        if (at.keyLine < 0 && EntryOf(file.lines[i].text, k, v) && SameName(k, key))
            at.keyLine = static_cast<long>(i);
    }
    return at;
}

std::string ReadAll(const std::string& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    ok = static_cast<bool>(in);
    if (!ok)
        return {};
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

std::u16string ReadProfileStringFromBytes(std::string_view bytes, std::u16string_view section,
                                          std::u16string_view key, std::u16string_view fallback,
                                          const ProfileEncoding* encoding) {
    std::u16string result(fallback);
    while (!result.empty() && IsBlank(result.back()))
        result.pop_back();
    const ParsedFile file = Parse(bytes, encoding);
    const Location at = Find(file, section, key);
    if (at.keyLine >= 0) {
        std::u16string_view k, v;
        EntryOf(file.lines[static_cast<size_t>(at.keyLine)].text, k, v);
        result.assign(v);
    }
    if (result.size() > kProfileBufferChars - 1)
        result.resize(kProfileBufferChars - 1);
    return result;
}

std::string WriteProfileStringToBytes(std::string_view bytes, std::u16string_view section,
                                      std::u16string_view key, std::u16string_view value) {
    ParsedFile file = Parse(bytes, nullptr);
    if (bytes.empty()) {
        file.encoding = ProfileEncoding::kUtf16Le;
        file.mark = "\xFF\xFE";
    }
    const Location at = Find(file, section, key);
    std::u16string entry(key);
    entry += u'=';
    entry += value;
    const std::string newline = Encode(u"\r\n", file.encoding);

    auto terminated = [&](const Line& line) {
        const std::u16string decoded = Decode(line.raw, file.encoding);
        return !decoded.empty() && decoded.back() == u'\n';
    };
    // A line's own terminator (LF or CR LF) is kept when its text changes.
    auto terminatorOf = [&](const Line& line) {
        const std::u16string decoded = Decode(line.raw, file.encoding);
        std::u16string tail;
        for (size_t i = decoded.size(); i > 0 && (decoded[i - 1] == u'\n' || decoded[i - 1] == u'\r'); --i)
            tail.insert(tail.begin(), decoded[i - 1]);
        return Encode(tail, file.encoding);
    };

    if (at.keyLine >= 0) {
        Line& line = file.lines[static_cast<size_t>(at.keyLine)];
        const std::string tail = terminatorOf(line);
        // Keep an odd trailing byte of a UTF-16 file (it is not text, but it is the file's).
        std::string odd;
        if (IsWide(file.encoding) && line.raw.size() % 2 == 1)
            odd = line.raw.substr(line.raw.size() - 1);
        line.raw = Encode(entry, file.encoding) + tail + odd;
    } else if (at.sectionLine >= 0) {
        const size_t after = static_cast<size_t>(at.lastContent) + 1;
        Line& previous = file.lines[after - 1];
        if (!terminated(previous))
            previous.raw += newline;
        file.lines.insert(file.lines.begin() + static_cast<long>(after),
                          Line{Encode(entry, file.encoding) + newline, {}});
    } else {
        if (!file.lines.empty() && !terminated(file.lines.back()))
            file.lines.back().raw += newline;
        std::u16string header = u"[";
        header += section;
        header += u"]";
        file.lines.push_back({Encode(header, file.encoding) + newline, {}});
        file.lines.push_back({Encode(entry, file.encoding) + newline, {}});
    }
    std::string out = file.mark;
    for (const Line& line : file.lines)
        out += line.raw;
    return out;
}

std::u16string ReadProfileString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view fallback, const std::string& path) {
    bool ok = false;
    const std::string bytes = ReadAll(path, ok);
    return ReadProfileStringFromBytes(ok ? std::string_view(bytes) : std::string_view(), section, key,
                                      fallback);
}

bool WriteProfileString(std::u16string_view section, std::u16string_view key, std::u16string_view value,
                        const std::string& path) {
    if (section.empty() || key.empty())
        return false;
    bool ok = false;
    const std::string bytes = ReadAll(path, ok);
    const std::string updated =
        WriteProfileStringToBytes(ok ? std::string_view(bytes) : std::string_view(), section, key, value);
    // Write beside the file and rename over it, so a failure never leaves half a file.
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(updated.data(), static_cast<std::streamsize>(updated.size()));
        out.flush();
        if (!out) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace orvane
