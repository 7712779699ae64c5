// The pad remote's command line. Switches start with "/" or "-". The only switch of its own,
// "autostart" (any case), is accepted and has no effect; a plain argument after it is kept as the
// auto-start argument, otherwise as the file name. Nothing in the program acts on any of them.
#pragma once

#include <string>
#include <vector>

namespace orvane {

// Set by the autostart switch; read by nobody, kept so that a launcher's flag is accepted.
extern bool g_autoStart;

// The standard fields of a dialog program's command line.
class CCommandLineInfo {
  public:
    enum ShellCommand { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, FileNothing };

    virtual ~CCommandLineInfo() = default;
    // One argument, with its "/" or "-" removed when it is a switch.
    virtual void ParseParam(const std::u16string& param, bool isSwitch, bool isLast);

    std::u16string m_strFileName;
    ShellCommand m_nShellCommand = FileNew;
    bool m_bShowSplash = true;
};

class COrvaneCommandLineInfo : public CCommandLineInfo {
  public:
    void ParseParam(const std::u16string& param, bool isSwitch, bool isLast) override;

    std::u16string m_strAutoStartArg;
};

// Feeds every argument (the program name excluded) to `info`.
void ParseCommandLine(const std::vector<std::u16string>& arguments, CCommandLineInfo& info);

}  // namespace orvane
