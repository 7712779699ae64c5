#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/FatalSignals.h"
#include "platform/SingleInstance.h"

namespace orvane {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Waits for `pid` to end (a liveness bound, not a measurement); -1 when it did not.
int WaitExit(pid_t pid, int* signalOut = nullptr) {
    for (int i = 0; i < 3000; ++i) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            if (signalOut)
                *signalOut = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return -1;
}

std::string TempFolder(const std::string& name) {
    const std::string folder = testing::TempDir() + name + "_" + std::to_string(::getpid());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

TEST(SingleInstanceLock, OneHolderPerKeyAndFreedWhenTheHolderDies) {
    const std::string key = "orvane-test:" + std::to_string(::getpid());
    SingleInstanceLock first(key);
    ASSERT_TRUE(first.Acquire());
    EXPECT_TRUE(first.Acquire());  // holding it again is fine
    SingleInstanceLock second(key);
    EXPECT_FALSE(second.Acquire());
    first.Release();
    EXPECT_TRUE(second.Acquire());
    second.Release();

    // A holder killed with SIGKILL leaves nothing behind.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        SingleInstanceLock held(key);
        const char ok = held.Acquire() ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        for (;;)
            ::pause();
    }
    char got = 0;
    ASSERT_EQ(::read(ready[0], &got, 1), 1);
    EXPECT_EQ(got, 'y');
    SingleInstanceLock later(key);
    EXPECT_FALSE(later.Acquire());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(later.Acquire());
    ::close(ready[0]);
    ::close(ready[1]);

    EXPECT_EQ(SingleInstanceLock::KeyForExecutable("/opt/a/TavelonOrvane"),
              SingleInstanceLock::KeyForExecutable("/opt/a/TavelonOrvane"));
    EXPECT_NE(SingleInstanceLock::KeyForExecutable("/opt/a/TavelonOrvane"),
              SingleInstanceLock::KeyForExecutable("/opt/b/TavelonOrvane"));
}

// Runs `crash` in a forked child with the handlers installed; returns the child's exit code.
template <typename Crash>
int CrashChild(const std::string& report, const std::string& reporter, const std::vector<std::string>& args,
               bool blockReporter, Crash crash, int* signalOut) {
    const pid_t child = ::fork();
    if (child == 0) {
        static std::atomic<bool> blocked{false};
        blocked = blockReporter;
        InstallFatalSignalHandlers(report);
        SetCrashReporter(reporter, args);
        SetCrashReporterBlocker(&blocked);
        static double value = 1.4;
        SetCrashReporterValue(&value);
        SetCrashReportNote("Program: crash test");
        crash();
        ::_exit(99);  // not reached
    }
    return WaitExit(child, signalOut);
}

TEST(FatalSignals, WriteTheReportAndEndWithZero) {
    const std::string folder = TempFolder("fatal");
    const std::string report = folder + "/OrvaneDump.dmp";
    struct Case {
        const char* name;
        std::function<void()> crash;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"null pointer on a worker thread",
         [] {
             std::thread worker([] {
                 ::pthread_setname_np(::pthread_self(), "worker-x");
                 // Not null, so that the undefined-behaviour checker lets the fault happen.
                 volatile uintptr_t where = 16;
                 *reinterpret_cast<volatile int*>(where) = 1;
             });
             worker.join();
         },
         {"Signal: 11 SIGSEGV", "SEGV_MAPERR", "Fault address: 0x0000000000000010", "worker-x", "Backtrace",
          "Threads of the process", "Memory map:", "Program: crash test", "End of report"}},
        {"uncaught exception",
         [] {
             // On a thread of its own: nothing above it catches the exception.
             std::thread worker([] { throw std::runtime_error("the podium is on fire"); });
             worker.join();
         },
         {"Signal: 6 SIGABRT", "Reason: uncaught exception", "the podium is on fire", "End of report"}},
        {"kill from outside",
         [] {
             ::kill(::getpid(), SIGBUS);
             for (;;)
                 ::pause();
         },
         {"Signal: 7 SIGBUS", "SI_USER", "Sent by process: "}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(report);
        int signal = -1;
        EXPECT_EQ(CrashChild(report, "", {}, false, c.crash, &signal), 0) << c.name;
        EXPECT_EQ(signal, 0) << c.name;
        const std::string text = ReadFile(report);
        for (const std::string& part : c.expected)
            EXPECT_NE(text.find(part), std::string::npos) << c.name << ": no " << part << "\n"
                                                          << text.substr(0, 600);
    }
    std::filesystem::remove_all(folder);
}

TEST(FatalSignals, StartTheReporterUnlessBlockedAndWaitForIt) {
    const std::string folder = TempFolder("reporter");
    const std::string report = folder + "/OrvaneDump.dmp";
    const std::string marker = folder + "/told";
    // The reporter writes its arguments; the crashed process waits for it before it ends.
    const std::string script = "sleep 0.3; echo \"$@\" > " + marker;
    auto crash = [] { ::raise(SIGSEGV); };
    EXPECT_EQ(CrashChild(report, "/bin/sh", {"-c", script, "sh", "Eng", "-"}, false, crash, nullptr), 0);
    EXPECT_EQ(ReadFile(marker), "Eng - 1.400\n");

    std::filesystem::remove(marker);
    std::filesystem::remove(report);
    EXPECT_EQ(CrashChild(report, "/bin/sh", {"-c", script, "sh", "Eng", "-"}, true, crash, nullptr), 0);
    EXPECT_FALSE(std::filesystem::exists(marker));
    EXPECT_NE(ReadFile(report).find("SIGSEGV"), std::string::npos);

    // A report that cannot be written still tells the user.
    EXPECT_EQ(CrashChild(folder + "/no/such/folder/x.dmp", "/bin/sh", {"-c", script, "sh", "Kor", "-"}, false,
                         crash, nullptr),
              0);
    EXPECT_EQ(ReadFile(marker), "Kor - 1.400\n");
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace orvane
