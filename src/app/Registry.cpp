#include "app/Registry.h"

#include "util/DebugLog.h"
#include "util/Files.h"
#include "util/Text.h"

#include <unistd.h>

namespace orvane {
namespace {

std::string& ProgramNameOverride() {
    static std::string name;
    return name;
}

std::string& RootOverride() {
    static std::string folder;
    return folder;
}

RegistryStore Store() {
    return RegistryStore(RegistryProgramName(), CurrentRegistryRootFolder());
}

constexpr int kNoteToolColors[] = {230, 58880, 59110, 1315860, 13088539, 13382630, 15073280, 15132390};

}  // namespace

std::string RegistryProgramName() {
    if (!ProgramNameOverride().empty())
        return ProgramNameOverride();
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return "TavelonOrvane";
    const std::string path(buffer, static_cast<size_t>(n));
    return path.substr(path.rfind('/') + 1);
}

void SetRegistryProgramName(const std::string& name) {
    ProgramNameOverride() = name;
}
void SetRegistryRootFolder(const std::string& folder) {
    RootOverride() = folder;
}
std::string CurrentRegistryRootFolder() {
    return RootOverride().empty() ? RegistryRootFolder() : RootOverride();
}

std::u16string ProfileReadString(const std::u16string& section, const std::u16string& entry,
                                 const std::u16string& fallback) {
    return Store().ReadString(section, entry, fallback);
}

bool ProfileWriteString(const std::u16string& section, const std::u16string& entry,
                        const std::u16string& value) {
    return Store().WriteString(section, entry, value);
}

int ProfileReadInt(const std::u16string& section, const std::u16string& entry, int fallback) {
    return Store().ReadInt(section, entry, fallback);
}

bool ProfileWriteInt(const std::u16string& section, const std::u16string& entry, int value) {
    return Store().WriteInt(section, entry, value);
}

bool IsNoteToolColor(int value) {
    for (int c : kNoteToolColors)
        if (c == value)
            return true;
    return false;
}

int ReadNoteToolColor() {
    const int value = ProfileReadInt(u"config", u"notetool_color", 230);
    return IsNoteToolColor(value) ? value : 230;
}

int ReadNoteToolPenSizeType() {
    const int value = ProfileReadInt(u"config", u"notetool_pensizetype", 2);
    return value >= 1 && value <= 4 ? value : 2;
}

CRegistry::CRegistry(std::u16string keyPath, bool readOnly)
    : m_keyPath(std::move(keyPath)), m_readOnly(readOnly), store_(CurrentRegistryRootFolder()) {}

CRegistry::~CRegistry() {
    Close();
}

bool CRegistry::Open() {
    while (!m_keyPath.empty() && m_keyPath.back() == u'\\')
        m_keyPath.pop_back();
    m_open = store_.KeyExists(m_keyPath);
    m_status = m_open ? 0 : -1;
    return m_open;
}

bool CRegistry::Create() {
    if (m_readOnly) {
        m_status = -1;
        return false;
    }
    m_open = store_.CreateKey(m_keyPath);
    m_status = m_open ? 0 : -1;
    if (!m_open)
        DebugLog("Can't create registry key: %s\n", WideToUtf8String(m_keyPath).c_str());
    return m_open;
}

bool CRegistry::ReadString(const std::u16string& name, std::u16string& value,
                           const std::u16string& fallback) {
    // The whole value is read (the system call this replaces stopped at 200 bytes and then
    // reported an empty value, which would drop flags other programs had set).
    if (!m_open || !store_.ReadString(m_keyPath, name, value)) {
        value = fallback;
        m_status = -1;
        return true;
    }
    m_status = 0;
    m_type = 1;
    m_size = (value.size() + 1) * 2;
    return true;
}

bool CRegistry::WriteString(const std::u16string& name, const std::u16string& value) {
    if (m_readOnly || !m_open) {
        m_status = -1;
        return false;
    }
    const bool ok = store_.WriteString(m_keyPath, name, value);
    m_status = ok ? 0 : -1;
    m_size = (value.size() + 1) * 2;
    return ok;
}

void CRegistry::Close() {
    m_open = false;
}

void SetCompatLayerFlag(const std::u16string& valueName, const std::u16string& flag) {
    CRegistry key(kCompatLayersKey);
    if (!key.Open() && !key.Create())
        return;
    std::u16string value;
    key.ReadString(valueName, value, u"");
    if (!value.empty() && value.find(flag) != std::u16string::npos)
        return;
    key.WriteString(valueName, value.empty() ? flag : value + u" " + flag);
    key.Close();
}

}  // namespace orvane
