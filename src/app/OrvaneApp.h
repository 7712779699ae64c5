// COrvaneApp: the pad remote's process shell, from process start to the main window and back.
// Main thread only.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLineInfo.h"

namespace orvane {

class SingleInstanceLock;

class COrvaneApp {
  public:
    // Runs the main window modally and returns when it has ended. The main window lives in a layer
    // above this one, so the program's main() hands it in.
    using MainWindowRunner = std::function<void()>;

    explicit COrvaneApp(MainWindowRunner runMainWindow);
    virtual ~COrvaneApp();

    // The start-up sequence: crash handler, network layer, socket support, window class, language
    // code and resources, system check, command line, single instance, main window. Always returns
    // false (the process then ends through ExitInstance); every failed check ends it earlier.
    // `arguments` excludes the program name.
    bool InitInstance(const std::vector<std::u16string>& arguments);
    // The shutdown sequence; returns the process exit code.
    int ExitInstance();

    // Start-up step 10: the language module for g_languageCode (resets the code to "Kor" when no
    // pack loads). Records the path tried.
    void LoadLanguageResources();

    COrvaneCommandLineInfo m_cmdInfo;
    std::string m_languageLibraryPath;  // the pack path that was tried (empty for "Kor")
    QString m_strMessage;               // scratch text of the system-check message

  protected:
    // The steps, in order; virtual so that tests can watch them and make them fail.
    virtual void InstallCrashHandler();
    virtual int InitNetworkLayer();
    virtual bool InitSocketSupport();
    virtual void RegisterWindowClass();
    virtual void ReadLanguageCode();
    // True when the session can run the program: an X11 display. `found` names the platform.
    virtual bool CheckSystem(QString* found);
    virtual void ParseCommandLine(const std::vector<std::u16string>& arguments);
    // True when this copy is the only one running.
    virtual bool AdmitSingleInstance();
    virtual void RunMainWindow();
    virtual void ShutdownNetworkLayer();
    // The toolkit's own message box (used before the program's look is available).
    virtual void ShowFrameworkMessage(const QString& text);
    // Shows string 202 for a refused session.
    virtual void ShowSystemCheckMessage(const QString& text);

  private:
    MainWindowRunner runMainWindow_;
    std::unique_ptr<SingleInstanceLock> instanceLock_;
};

}  // namespace orvane
