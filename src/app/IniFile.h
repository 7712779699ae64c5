// The settings files config.ini and setting.ini in the program folder: UTF-16LE with mark, section
// "default". Files found in another encoding are converted on open, the original kept as a dated
// backup. Main thread only.
#pragma once

#include <functional>
#include <string>

namespace orvane {

// Encoding class of a text file: -1 unreadable, 1 ANSI, 2 UTF-8, 3 UTF-16LE with mark.
int DetectTextEncoding(const std::string& path);
int DetectTextEncodingOfBytes(const std::string& bytes);

// Renames `path` to "<stem>_<YYYYMMDD><NN><ext>" with the first free NN of 01..99 and returns the
// backup's path, or empty when no candidate could be used. `date` is "YYYYMMDD"; `pause` runs
// between a rename and the check for the candidate (100 ms in the program).
std::string MakeDatedBackup(const std::string& path, const std::string& date,
                            const std::function<void()>& pause);

// Creates (or truncates) `path` as UTF-16LE with mark holding the line "[default]".
bool CreateUnicodeIni(const std::string& path);

class IniFile {
  public:
    // Makes `fileName` in `folder` usable: `folder` becomes the current directory, a missing file is
    // created, a file in another encoding is converted. `folder` defaults to the program folder.
    void Open(const std::string& fileName, const std::string& folder = {});

    // The value of `key` in `section`, or `fallback`. An empty section gives the fallback unread.
    std::u16string GetString(std::u16string_view section, std::u16string_view key,
                             std::u16string_view fallback) const;
    bool WriteString(std::u16string_view section, std::u16string_view key, std::u16string_view value) const;

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// The two process-wide settings files.
IniFile& ConfigIni();
IniFile& SettingIni();

// Writes one value to setting.ini; an empty section writes nothing.
void WriteSetting(std::u16string_view section, std::u16string_view key, std::u16string_view value);

// Where the pad remote finds its login server before the lookup answers.
struct StoredAddress {
    std::u16string ip = u"0.0.0.0";
    std::u16string port = u"0";
};

// Ensures setting.ini in `folder` (program folder by default), opens it into SettingIni() and
// fills `address` from it, writing the defaults rsip=0.0.0.0 and rsport=10240 where they are missing.
// Returns true when the file exists after opening.
bool LoadStoredAddress(StoredAddress& address, const std::string& folder = {});

// Ensures setting.ini exists and opens it into SettingIni(); used before the login dialog writes.
void GuardSettingsFile(const std::string& folder = {});

}  // namespace orvane
