// The crash report of a process: on a fatal signal (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT,
// SIGSYS) a text report is written to a file (signal and its cause, fault address, sender, thread,
// registers, backtrace, the other threads, the memory map for addr2line), then a fresh process may be
// started to tell the user, and the process ends with exit code 0.
//
// Everything the handler needs is prepared here in advance; inside the handler only async-signal-safe
// calls are made (no allocation, no locks, no stdio), and the user is never shown anything from the
// signal handler itself. Setters are called on the main thread during start-up.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace orvane {

// Installs the handlers for the whole process and an alternate signal stack for the calling thread
// (so that a stack overflow on it is still reported). `reportPath` is created or overwritten on a
// crash. Calling it again replaces the settings.
void InstallFatalSignalHandlers(const std::string& reportPath);

// The program that tells the user, started after the report is written as `program arguments...`
// with the signal handler's process waiting for it to end. Empty: nobody is told.
void SetCrashReporter(const std::string& program, const std::vector<std::string>& arguments);

// A number read at the moment of the crash and passed as one more argument after `arguments`, as a
// decimal text with three places (the UI scale, which is chosen after start-up). Null: none.
void SetCrashReporterValue(const double* value);

// While `*flag` is true when the crash happens, the reporter is not started (the report is still
// written). The flag must live as long as the process.
void SetCrashReporterBlocker(const std::atomic<bool>* flag);

// Extra lines for the report header (program name, version, language).
void SetCrashReportNote(const std::string& note);

// Writes the report of a fatal signal to `fd` as the handler does; for tests of the report's content.
// `context` is the handler's ucontext (may be null).
struct CrashSignalInfo {
    int signal = 0;
    int code = 0;
    const void* address = nullptr;
    int senderPid = 0;
    const void* context = nullptr;
};
void WriteCrashReport(int fd, const CrashSignalInfo& info);

}  // namespace orvane
