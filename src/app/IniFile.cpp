#include "app/IniFile.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/PrivateProfile.h"
#include "util/Files.h"
#include "util/LocalTime.h"
#include "util/Text.h"

namespace orvane {
namespace {

bool ReadBytes(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

std::string Utf16LeBytes(std::u16string_view text) {
    std::string out;
    for (char16_t ch : text)
        out += static_cast<char>(ch & 0xFF), out += static_cast<char>(ch >> 8);
    return out;
}

void ConvertToUnicode(const std::string& path, int encoding) {
    const std::string backup = MakeDatedBackup(
        path, DateStamp(LocalTimeNow()), [] { std::this_thread::sleep_for(std::chrono::milliseconds(100)); });
    if (backup.empty() || backup == path)
        return;
    CreateUnicodeIni(path);
    std::string bytes;
    if (!ReadBytes(backup, bytes))
        return;
    const std::u16string text = encoding == 1 ? AnsiToWide(std::string_view(bytes)) : Utf8StringToWide(bytes);
    if (!WriteBytes(path, "\xFF\xFE" + Utf16LeBytes(text)))
        CreateUnicodeIni(path);
}

std::string FolderOrProgram(const std::string& folder) {
    return folder.empty() ? GetModuleFolder() : folder;
}

void CreateAnsiIni(const std::string& path) {
    WriteBytes(path, "[default]\n");
}

}  // namespace

int DetectTextEncodingOfBytes(const std::string& bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
        return 3;
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return 2;
    bool failed = false;
    bool multiByte = false;
    for (size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == 0)
            break;
        if (c <= 0x7F) {
            ++i;
            continue;
        }
        size_t extra;
        if (c >= 0xC2 && c <= 0xDF)
            extra = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            extra = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            extra = 3;
        else {
            failed = true;
            break;
        }
        if (i + extra >= bytes.size()) {
            // The sequence is cut off by the end of the file: the scan ends there.
            bool good = true;
            for (size_t k = i + 1; k < bytes.size(); ++k)
                if ((static_cast<unsigned char>(bytes[k]) & 0xC0) != 0x80)
                    good = false;
            if (!good)
                failed = true;
            break;
        }
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                failed = true;
        if (failed)
            break;
        multiByte = true;
        i += extra + 1;
    }
    if (!failed && multiByte)
        return 2;
    if (bytes.size() < 2)
        return 1;
    bool little = false, big = false;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char a = bytes[i], b = bytes[i + 1];
        if ((a == '\n' || a == '\r') && b == '\0')
            little = true;
        if (a == '\0' && (b == '\n' || b == '\r'))
            big = true;
        if (little && big)
            return 1;
    }
    return (little || big) ? 2 : 1;
}

int DetectTextEncoding(const std::string& path) {
    std::string bytes;
    if (!ReadBytes(path, bytes))
        return -1;
    return DetectTextEncodingOfBytes(bytes);
}

std::string MakeDatedBackup(const std::string& path, const std::string& date,
                            const std::function<void()>& pause) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string stem = hasExt ? path.substr(0, dot) : path;
    const std::string ext = hasExt ? path.substr(dot) : std::string();
    for (int nn = 1; nn <= 99; ++nn) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d", nn);
        const std::string candidate = stem + "_" + date + number + ext;
        if (FileExists(candidate))
            continue;
        for (int attempt = 0; attempt < 3; ++attempt) {
            // link + unlink never replaces a file that appeared meanwhile (rename would).
            if (::link(path.c_str(), candidate.c_str()) == 0)
                ::unlink(path.c_str());
            if (pause)
                pause();
            if (FileExists(candidate))
                return candidate;
        }
    }
    return {};
}

bool CreateUnicodeIni(const std::string& path) {
    return WriteBytes(path, "\xFF\xFE" + Utf16LeBytes(u"[default]"));
}

void IniFile::Open(const std::string& fileName, const std::string& folder) {
    const std::string dir = FolderOrProgram(folder);
    if (::chdir(dir.c_str()) != 0) {
        // Keep going: reads then give their defaults.
    }
    path_ = dir + "/" + fileName;
    if (!FileExists(path_)) {
        CreateUnicodeIni(path_);
        return;
    }
    const int encoding = DetectTextEncoding(path_);
    if (encoding == 1 || encoding == 2)
        ConvertToUnicode(path_, encoding);
}

std::u16string IniFile::GetString(std::u16string_view section, std::u16string_view key,
                                  std::u16string_view fallback) const {
    if (section.empty())
        return std::u16string(fallback);
    return ReadProfileString(section, key, fallback, path_);
}

bool IniFile::WriteString(std::u16string_view section, std::u16string_view key,
                          std::u16string_view value) const {
    if (section.empty() || path_.empty())
        return false;
    return WriteProfileString(section, key, value, path_);
}

IniFile& ConfigIni() {
    static IniFile file;
    return file;
}

IniFile& SettingIni() {
    static IniFile file;
    return file;
}

void WriteSetting(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    SettingIni().WriteString(section, key, value);
}

bool LoadStoredAddress(StoredAddress& address, const std::string& folder) {
    const std::string dir = FolderOrProgram(folder);
    const std::string path = dir + "/setting.ini";
    if (!FileExists(path))
        CreateAnsiIni(path);
    address.ip = u"0.0.0.0";
    address.port = u"0";
    SettingIni().Open("setting.ini", dir);
    if (!FileExists(path)) {
        address.port = u"10240";
        return false;
    }
    std::u16string ip = SettingIni().GetString(u"default", u"rsip", address.ip);
    if (ip == u"0.0.0.0")
        WriteSetting(u"default", u"rsip", u"0.0.0.0");
    address.ip = ip;
    std::u16string port = SettingIni().GetString(u"default", u"rsport", address.port);
    if (port == u"0") {
        port = u"10240";
        WriteSetting(u"default", u"rsport", port);
    }
    address.port = port;
    return true;
}

void GuardSettingsFile(const std::string& folder) {
    const std::string dir = FolderOrProgram(folder);
    if (!FileExists(dir + "/setting.ini"))
        CreateAnsiIni(dir + "/setting.ini");
    SettingIni().Open("setting.ini", dir);
}

}  // namespace orvane
