// The pad remote's crash handling: OrvaneDump.dmp in the program folder on a fatal signal, then the
// crash message in Korean or English, shown by a fresh copy of the executable started with
// kCrashMessageSwitch (a signal handler shows nothing itself), and exit code 0. A crash while a
// custom message is open writes the report and skips the message.
#pragma once

#include <QString>
#include <string>

namespace orvane {

inline constexpr char kCrashMessageSwitch[] = "--orvane-crash-message";
inline constexpr char kDumpFileName[] = "OrvaneDump.dmp";

// Start-up step 1. Main thread.
void InstallCrashHandler();
// Passes the language chosen at start-up on to the crash message. Main thread, after the language
// resources are loaded.
void UpdateCrashHandlerLanguage();

// "Kor" gives the Korean text, any other code the English one.
QString CrashMessageText(const std::u16string& languageCode);

// The fresh process: `program kCrashMessageSwitch <code> <pack path or "-"> [<scale>]`.
bool IsCrashMessageInvocation(int argc, char** argv);
// Shows the crash message and returns the exit code (0). Makes its own QApplication.
int RunCrashMessage(int argc, char** argv);

}  // namespace orvane
