#include "app/CommandLineInfo.h"

#include <algorithm>

namespace orvane {

bool g_autoStart = false;

namespace {

std::u16string Lower(std::u16string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; });
    return text;
}

}  // namespace

void CCommandLineInfo::ParseParam(const std::u16string& param, bool isSwitch, bool /*isLast*/) {
    if (isSwitch) {
        const std::u16string name = Lower(param);
        if (name == u"nosplash")
            m_bShowSplash = false;
        return;
    }
    if (m_strFileName.empty()) {
        m_strFileName = param;
        m_nShellCommand = FileOpen;
    }
}

void COrvaneCommandLineInfo::ParseParam(const std::u16string& param, bool isSwitch, bool isLast) {
    CCommandLineInfo::ParseParam(param, isSwitch, isLast);
    if (isSwitch) {
        if (Lower(param) == u"autostart")
            g_autoStart = true;
        return;
    }
    if (g_autoStart)
        m_strAutoStartArg = param;
    else
        m_strFileName = param;
}

void ParseCommandLine(const std::vector<std::u16string>& arguments, CCommandLineInfo& info) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::u16string& arg = arguments[i];
        const bool isSwitch = !arg.empty() && (arg[0] == u'/' || arg[0] == u'-');
        info.ParseParam(isSwitch ? arg.substr(1) : arg, isSwitch, i + 1 == arguments.size());
    }
}

}  // namespace orvane
