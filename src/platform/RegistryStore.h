// The per-user registry stand-in: Qt INI files under $XDG_CONFIG_HOME/TavelonLogin (default
// ~/.config/TavelonLogin). Main thread only; each call reads or writes the file, nothing is cached.
#pragma once

#include <string>

class QSettings;

namespace orvane {

// "$XDG_CONFIG_HOME/TavelonLogin", or "$HOME/.config/TavelonLogin".
std::string RegistryRootFolder();
// The same for another user's home (the updater reads the desktop user's values).
std::string RegistryRootFolderOfHome(const std::string& home);

// The values of one program: "<root>/<program>.conf"; every value lives under a section (group),
// which for the programs is always "config".
class RegistryStore {
  public:
    explicit RegistryStore(std::string programName, std::string rootFolder = RegistryRootFolder());

    std::u16string ReadString(const std::u16string& section, const std::u16string& entry,
                              const std::u16string& fallback) const;
    bool WriteString(const std::u16string& section, const std::u16string& entry, const std::u16string& value);
    int ReadInt(const std::u16string& section, const std::u16string& entry, int fallback) const;
    bool WriteInt(const std::u16string& section, const std::u16string& entry, int value);

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// Registry keys by path ("SOFTWARE\\Microsoft\\...") for helpers that address keys the way the
// system registry does. Stored in "<root>/registry.conf"; key paths compare without case.
class RegistryKeyStore {
  public:
    explicit RegistryKeyStore(std::string rootFolder = RegistryRootFolder());

    bool KeyExists(const std::u16string& keyPath) const;
    bool CreateKey(const std::u16string& keyPath);
    bool ReadString(const std::u16string& keyPath, const std::u16string& name, std::u16string& value) const;
    bool WriteString(const std::u16string& keyPath, const std::u16string& name, const std::u16string& value);

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace orvane
