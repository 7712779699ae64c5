// The real TavelonOrvane in child processes on the test's X display: one copy at a time, a killed copy
// never blocks the next, the crash report and message, the refused session. Each test runs its own
// copy of the program from a folder of its own (its own lock, dump file and settings).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/RegistryStore.h"

extern char** environ;

namespace orvane {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        ::pclose(pipe);
    }
    return out;
}

// Polls `condition` until it holds, for at most `limit` (a bound on a hang, not a measurement).
template <typename F>
bool Eventually(F condition, std::chrono::milliseconds limit = 30s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

class ProgramFolder : public testing::Test {
  protected:
    void SetUp() override {
        folder_ = testing::TempDir() + "orvane_" +
                  testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                  std::to_string(::getpid());
        fs::remove_all(folder_);
        fs::create_directories(folder_ + "/language");
        fs::copy_file(ORVANE_PROGRAM, folder_ + "/TavelonOrvane");
        fs::copy_file(ORVANE_ENGLISH_PACK, folder_ + "/language/Tavelon OrvaneEng.rcc");
    }
    void TearDown() override {
        for (pid_t pid : started_) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, WNOHANG);
        }
        fs::remove_all(folder_);
    }

    void SetLanguage(const std::u16string& code) {
        RegistryStore(ProgramName(), folder_ + "/config/TavelonLogin")
            .WriteString(u"config", u"language", code);
    }
    static std::string ProgramName() { return "TavelonOrvane"; }

    pid_t Start(const std::vector<std::string>& extraEnv = {}, const std::string& stderrName = "stderr") {
        // Everything is prepared before fork: this process has threads, so the child may only make
        // async-signal-safe calls until it runs the program.
        std::vector<std::string> env = {"XDG_CONFIG_HOME=" + folder_ + "/config", "QT_QPA_PLATFORM=xcb"};
        env.insert(env.begin(), extraEnv.begin(), extraEnv.end());  // the first of a name counts
        auto named = [&](const std::string& entry) {
            for (const std::string& e : env)
                if (entry.compare(0, e.find('=') + 1, e, 0, e.find('=') + 1) == 0)
                    return true;
            return false;
        };
        for (char** e = environ; *e; ++e)
            if (!named(*e))
                env.push_back(*e);
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        const std::string program = folder_ + "/TavelonOrvane";
        std::string autostart = "/autostart";
        char* argv[] = {const_cast<char*>(program.c_str()), autostart.data(), nullptr};
        const std::string errPath = folder_ + "/" + stderrName;
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(folder_.c_str()) != 0)
                ::_exit(126);
            const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(err, 2);
            ::execve(program.c_str(), argv, envp.data());
            ::_exit(127);
        }
        started_.push_back(pid);
        return pid;
    }

    // The exit code once `pid` has ended; -1 when it was ended by a signal or is still running.
    static int WaitExit(pid_t pid) {
        int code = -1;
        Eventually([&] {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) != pid)
                return false;
            code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return true;
        });
        return code;
    }

    // A visible window of `pid` with exactly this title; its X id, or empty.
    static std::string WindowOf(pid_t pid, const std::string& title) {
        std::string found;
        Eventually([&] {
            std::istringstream ids(Shell("xdotool search --all --onlyvisible --pid " + std::to_string(pid) +
                                         " --name 'Orvane' 2>/dev/null"));
            for (std::string id; std::getline(ids, id);) {
                if (Shell("xprop -id " + id + " _NET_WM_NAME 2>/dev/null") ==
                    "_NET_WM_NAME(UTF8_STRING) = \"" + title + "\"\n") {
                    found = id;
                    return true;
                }
            }
            return false;
        });
        return found;
    }

    // A real click (through the X test extension) at (x, y) of the window.
    static void Click(const std::string& window, int x, int y) {
        Shell("xdotool mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y) +
              " click 1 2>/dev/null");
    }

    // The program that `parent` started (once it runs: between fork and exec the child still shows the
    // parent's command line), with its command line split at NUL.
    static pid_t ChildOf(pid_t parent, std::vector<std::string>* commandLine) {
        pid_t found = 0;
        Eventually([&] {
            for (const auto& entry : fs::directory_iterator("/proc")) {
                const std::string name = entry.path().filename();
                if (name.find_first_not_of("0123456789") != std::string::npos)
                    continue;
                const std::string stat = ReadFile(entry.path().string() + "/stat");
                const size_t close = stat.rfind(')');
                if (close == std::string::npos)
                    continue;
                int ppid = 0;
                char state = 0;
                if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &ppid) == 2 && ppid == parent) {
                    found = std::stoi(name);
                    const std::string raw = ReadFile(entry.path().string() + "/cmdline");
                    commandLine->clear();
                    std::string arg;
                    for (char c : raw) {
                        if (c == '\0') {
                            commandLine->push_back(arg);
                            arg.clear();
                        } else {
                            arg += c;
                        }
                    }
                    if (commandLine->size() > 1 && (*commandLine)[1].rfind("--", 0) == 0)
                        return true;
                }
            }
            return false;
        });
        return found;
    }

    std::string folder_;
    std::vector<pid_t> started_;
};

TEST_F(ProgramFolder, SecondCopyEndsSilentlyAndAKilledCopyNeverBlocks) {
    const pid_t first = Start();
    ASSERT_FALSE(WindowOf(first, "Tavelon Orvane").empty());

    const pid_t second = Start({}, "stderr2");
    EXPECT_EQ(WaitExit(second), 0);
    EXPECT_EQ(ReadFile(folder_ + "/stderr2").find("TavelonOrvane:"), std::string::npos);

    ::kill(first, SIGKILL);
    ::waitpid(first, nullptr, 0);

    const pid_t third = Start();
    const std::string window = WindowOf(third, "Tavelon Orvane");
    ASSERT_FALSE(window.empty());
    // The close button asks whether to exit; Yes ends the program normally.
    Click(window, 151, 17);
    const std::string question = WindowOf(third, "Tavelon Orvane 종료 확인");
    ASSERT_FALSE(question.empty());
    Click(question, 345 + 33, 183 + 17);
    EXPECT_EQ(WaitExit(third), 0);
    EXPECT_FALSE(fs::exists(folder_ + "/OrvaneDump.dmp"));
}

TEST_F(ProgramFolder, CrashWritesTheDumpAndTellsTheUserInTheirLanguage) {
    const struct {
        std::u16string registry;  // empty: no value
        bool pack;
        std::string code;
    } cases[] = {{u"", true, "Kor"}, {u"Eng", true, "Eng"}, {u"Eng", false, "Kor"}};
    for (const auto& c : cases) {
        SCOPED_TRACE("language " + c.code + (c.pack ? " with the pack" : " without the pack"));
        if (!c.registry.empty())
            SetLanguage(c.registry);
        if (!c.pack)
            fs::remove(folder_ + "/language/Tavelon OrvaneEng.rcc");
        fs::remove(folder_ + "/OrvaneDump.dmp");

        const pid_t program = Start();
        ASSERT_FALSE(WindowOf(program, "Tavelon Orvane").empty()) << ReadFile(folder_ + "/stderr");
        ::kill(program, SIGSEGV);

        std::vector<std::string> commandLine;
        const pid_t teller = ChildOf(program, &commandLine);
        ASSERT_GT(teller, 0) << ReadFile(folder_ + "/OrvaneDump.dmp");
        ASSERT_GE(commandLine.size(), 5u);
        EXPECT_EQ(commandLine[1], "--orvane-crash-message");
        EXPECT_EQ(commandLine[2], c.code);
        EXPECT_EQ(commandLine[3] != "-", c.code == "Eng");
        const std::string message = WindowOf(teller, "Tavelon Orvane");
        // The message is on screen; the crashed copy waits until it has been dismissed.
        ASSERT_FALSE(WindowOf(teller, "Tavelon Orvane").empty()) << ReadFile(folder_ + "/stderr");
        int status = 0;
        EXPECT_EQ(::waitpid(program, &status, WNOHANG), 0);
        ::kill(teller, SIGTERM);
        EXPECT_EQ(WaitExit(program), 0);

        const std::string dump = ReadFile(folder_ + "/OrvaneDump.dmp");
        EXPECT_NE(dump.find("Signal: 11 SIGSEGV"), std::string::npos);
        EXPECT_NE(dump.find("Sent by process: " + std::to_string(::getpid())), std::string::npos);
        EXPECT_NE(dump.find("Language: " + c.code), std::string::npos);
        EXPECT_NE(dump.find("Backtrace"), std::string::npos);
        EXPECT_NE(dump.find("End of report"), std::string::npos);
        EXPECT_NE(dump.find("Reporter: ended"), std::string::npos);
    }
}

TEST_F(ProgramFolder, CrashWhileAMessageIsOpenSkipsTheMessage) {
    const pid_t program = Start();
    const std::string window = WindowOf(program, "Tavelon Orvane");
    ASSERT_FALSE(window.empty());
    Click(window, 151, 17);
    ASSERT_FALSE(WindowOf(program, "Tavelon Orvane 종료 확인").empty());
    ::kill(program, SIGSEGV);
    EXPECT_EQ(WaitExit(program), 0);
    const std::string dump = ReadFile(folder_ + "/OrvaneDump.dmp");
    EXPECT_NE(dump.find("SIGSEGV"), std::string::npos);
    EXPECT_NE(dump.find("Reporter: skipped, a message was open"), std::string::npos);
}

TEST_F(ProgramFolder, RefusesASessionWithoutX11) {
    const pid_t program = Start({"QT_QPA_PLATFORM=offscreen"});
    EXPECT_EQ(WaitExit(program), 0);
    const std::string said = ReadFile(folder_ + "/stderr");
    EXPECT_NE(said.find("X11"), std::string::npos) << said;
    EXPECT_NE(said.find("offscreen"), std::string::npos) << said;
}

}  // namespace
}  // namespace orvane
