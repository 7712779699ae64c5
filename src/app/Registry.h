// The pad remote's per-user values (language, teacher ID, note-tool choices) and the small registry
// key helper. Main thread only.
#pragma once

#include <string>

#include "platform/RegistryStore.h"

namespace orvane {

// Program name under which the values are stored; the executable's base name unless set (tests,
// and the updater, which reads the pad remote's values).
std::string RegistryProgramName();
void SetRegistryProgramName(const std::string& name);
// Root folder of the stores; $XDG_CONFIG_HOME/TavelonLogin unless set.
void SetRegistryRootFolder(const std::string& folder);
std::string CurrentRegistryRootFolder();

std::u16string ProfileReadString(const std::u16string& section, const std::u16string& entry,
                                 const std::u16string& fallback);
bool ProfileWriteString(const std::u16string& section, const std::u16string& entry,
                        const std::u16string& value);
int ProfileReadInt(const std::u16string& section, const std::u16string& entry, int fallback);
bool ProfileWriteInt(const std::u16string& section, const std::u16string& entry, int value);

// The note tool's stored choices with their accepted values: one of the eight palette colours
// (0x00BBGGRR; anything else reads as 230) and a pen size type of 1..4 (anything else reads as 2).
int ReadNoteToolColor();
int ReadNoteToolPenSizeType();
bool IsNoteToolColor(int value);

// A registry key by path under the current user's root.
class CRegistry {
  public:
    explicit CRegistry(std::u16string keyPath = {}, bool readOnly = false);
    ~CRegistry();

    bool Open();
    bool Create();
    // Reads a string value; a missing value gives `fallback` and still succeeds.
    bool ReadString(const std::u16string& name, std::u16string& value, const std::u16string& fallback);
    bool WriteString(const std::u16string& name, const std::u16string& value);
    void Close();

    std::u16string m_keyPath;
    bool m_readOnly = false;
    bool m_open = false;
    int m_status = 0;   // 0 on success, -1 after a failed call
    int m_type = 0;     // 1 (string) after a successful read
    size_t m_size = 0;  // bytes of the last value read or written, terminating zero included

  private:
    RegistryKeyStore store_;
};

// The key that holds per-executable compatibility flags.
inline constexpr char16_t kCompatLayersKey[] =
    u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";

// Makes sure `flag` is part of the compatibility value named `valueName` (the executable's path):
// added alone when there is no value, appended after one space when missing, left alone when present.
void SetCompatLayerFlag(const std::u16string& valueName, const std::u16string& flag);

}  // namespace orvane
