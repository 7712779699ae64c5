#include "platform/FatalSignals.h"

#include <dirent.h>
#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <ucontext.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <exception>
#include <typeinfo>

extern char** environ;

namespace orvane {
namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGSYS};
constexpr size_t kPathMax = 4096;
constexpr size_t kMaxReporterArgs = 8;
constexpr size_t kArgMax = 256;

// Prepared outside the handler; read-only inside it.
char g_reportPath[kPathMax];
char g_reporterProgram[kPathMax];
char g_reporterArgs[kMaxReporterArgs][kArgMax];
size_t g_reporterArgCount = 0;
char g_note[1024];
const std::atomic<bool>* g_blocker = nullptr;
const double* g_reporterValue = nullptr;
// Filled by the terminate handler before it aborts: what was thrown.
char g_terminateReason[512];

std::atomic<long> g_handlingThread{0};
alignas(16) char g_alternateStack[64 * 1024];

void Copy(char* to, size_t size, const std::string& from) {
    const size_t n = std::min(size - 1, from.size());
    std::memcpy(to, from.data(), n);
    to[n] = '\0';
}

long ThreadId() {
    return static_cast<long>(::syscall(SYS_gettid));
}

// A small formatter that writes through to a file descriptor; safe inside a signal handler.
class Out {
  public:
    explicit Out(int fd) : fd_(fd) {}
    ~Out() { Flush(); }

    Out& Text(const char* s) {
        while (s && *s) {
            if (used_ == sizeof buffer_)
                Flush();
            buffer_[used_++] = *s++;
        }
        return *this;
    }
    Out& Dec(long long value) {
        char digits[24];
        int n = 0;
        const bool negative = value < 0;
        unsigned long long v = negative ? 0ull - static_cast<unsigned long long>(value) : value;
        do {
            digits[n++] = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v);
        if (negative)
            Text("-");
        char text[24];
        for (int i = 0; i < n; ++i)
            text[i] = digits[n - 1 - i];
        text[n] = '\0';
        return Text(text);
    }
    Out& Dec2(int value) {  // two digits
        char text[3] = {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10), 0};
        return Text(text);
    }
    Out& Hex(unsigned long long value) {
        char text[19] = "0x";
        for (int i = 0; i < 16; ++i)
            text[2 + i] = "0123456789abcdef"[(value >> (60 - 4 * i)) & 0xF];
        text[18] = '\0';
        return Text(text);
    }
    void Flush() {
        size_t done = 0;
        while (done < used_) {
            const ssize_t n = ::write(fd_, buffer_ + done, used_ - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += static_cast<size_t>(n);
        }
        used_ = 0;
    }
    int Fd() const { return fd_; }

  private:
    int fd_;
    char buffer_[1024];
    size_t used_ = 0;
};

const char* SignalName(int signal) {
    switch (signal) {
        case SIGSEGV:
            return "SIGSEGV (invalid memory access)";
        case SIGBUS:
            return "SIGBUS (bus error)";
        case SIGILL:
            return "SIGILL (illegal instruction)";
        case SIGFPE:
            return "SIGFPE (arithmetic error)";
        case SIGABRT:
            return "SIGABRT (abort)";
        case SIGSYS:
            return "SIGSYS (bad system call)";
        default:
            return "signal";
    }
}

const char* CodeName(int signal, int code) {
    if (code == SI_USER)
        return "SI_USER (sent by kill)";
    if (code == SI_TKILL)
        return "SI_TKILL (sent by tgkill or raise)";
    if (code == SI_QUEUE)
        return "SI_QUEUE (sent by sigqueue)";
    if (signal == SIGSEGV && code == SEGV_MAPERR)
        return "SEGV_MAPERR (address not mapped)";
    if (signal == SIGSEGV && code == SEGV_ACCERR)
        return "SEGV_ACCERR (no permission for this access)";
    if (signal == SIGBUS && code == BUS_ADRALN)
        return "BUS_ADRALN (misaligned address)";
    if (signal == SIGBUS && code == BUS_ADRERR)
        return "BUS_ADRERR (address does not exist)";
    if (signal == SIGFPE && code == FPE_INTDIV)
        return "FPE_INTDIV (integer divide by zero)";
    if (signal == SIGFPE && code == FPE_INTOVF)
        return "FPE_INTOVF (integer overflow)";
    if (signal == SIGILL && code == ILL_ILLOPC)
        return "ILL_ILLOPC (illegal opcode)";
    return "";
}

void CopyFile(Out& out, const char* path) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    out.Flush();
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        ssize_t done = 0;
        while (done < n) {
            const ssize_t w = ::write(out.Fd(), buffer + done, static_cast<size_t>(n - done));
            if (w <= 0)
                break;
            done += w;
        }
    }
    ::close(fd);
}

void WriteTime(Out& out) {
    const long long t = ::time(nullptr);
    long long days = t / 86400;
    const long long seconds = t % 86400;
    // Civil date from days since 1970-01-01 (proleptic Gregorian).
    days += 719468;
    const long long era = days / 146097;
    const long long doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const long long year = yoe + era * 400 + (month <= 2);
    out.Dec(year).Text("-").Dec2(month).Text("-").Dec2(day).Text(" ");
    out.Dec2(static_cast<int>(seconds / 3600)).Text(":").Dec2(static_cast<int>(seconds / 60 % 60));
    out.Text(":").Dec2(static_cast<int>(seconds % 60)).Text(" UTC");
}

void WriteRegisters(Out& out, const void* context) {
    if (!context)
        return;
    const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    struct Reg {
        const char* name;
        int index;
    };
    const Reg regs[] = {{"rip", REG_RIP}, {"rsp", REG_RSP}, {"rbp", REG_RBP}, {"rax", REG_RAX},
                        {"rbx", REG_RBX}, {"rcx", REG_RCX}, {"rdx", REG_RDX}, {"rsi", REG_RSI},
                        {"rdi", REG_RDI}, {"r8", REG_R8},   {"r9", REG_R9},   {"r10", REG_R10},
                        {"r11", REG_R11}, {"r12", REG_R12}, {"r13", REG_R13}, {"r14", REG_R14},
                        {"r15", REG_R15}, {"efl", REG_EFL}, {"err", REG_ERR}, {"trapno", REG_TRAPNO}};
    out.Text("Registers:\n");
    for (size_t i = 0; i < sizeof regs / sizeof regs[0]; ++i) {
        out.Text("  ").Text(regs[i].name).Text(" = ");
        out.Hex(static_cast<unsigned long long>(uc->uc_mcontext.gregs[regs[i].index])).Text("\n");
    }
#elif defined(__aarch64__)
    out.Text("Registers:\n  pc = ").Hex(uc->uc_mcontext.pc).Text("\n  sp = ").Hex(uc->uc_mcontext.sp);
    out.Text("\n  fault_address = ").Hex(uc->uc_mcontext.fault_address).Text("\n");
    for (int i = 0; i < 31; ++i)
        out.Text("  x").Dec(i).Text(" = ").Hex(uc->uc_mcontext.regs[i]).Text("\n");
#else
    (void)uc;
#endif
}

void WriteThreadName(Out& out, const char* tid) {
    char path[64] = "/proc/self/task/";
    size_t n = std::strlen(path);
    for (const char* p = tid; *p && n < sizeof path - 6; ++p)
        path[n++] = *p;
    std::memcpy(path + n, "/comm", 6);
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    char name[32] = {};
    const ssize_t got = ::read(fd, name, sizeof name - 1);
    ::close(fd);
    if (got > 0 && name[got - 1] == '\n')
        name[got - 1] = '\0';
    out.Text(" ").Text(name);
}

void WriteThreads(Out& out) {
    const int fd = ::open("/proc/self/task", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    out.Text("Threads of the process (id name):\n");
    alignas(8) char buffer[4096];
    for (;;) {
        const long n = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (long at = 0; at < n;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
            if (entry->d_name[0] != '.') {
                out.Text("  ").Text(entry->d_name);
                WriteThreadName(out, entry->d_name);
                out.Text("\n");
            }
            at += entry->d_reclen;
        }
    }
    ::close(fd);
}

// Starts the reporter and waits for it; returns a line for the report's end.
const char* StartReporter(int* pidOut, int* statusOut) {
    if (g_reporterProgram[0] == '\0')
        return "Reporter: none\n";
    if (g_blocker && g_blocker->load())
        return "Reporter: skipped, a message was open\n";
    char* argv[kMaxReporterArgs + 3];
    argv[0] = g_reporterProgram;
    for (size_t i = 0; i < g_reporterArgCount; ++i)
        argv[i + 1] = g_reporterArgs[i];
    size_t argc = g_reporterArgCount + 1;
    char value[32];
    if (g_reporterValue) {
        const double v = *g_reporterValue;
        const long long thousandths = v > 0 && v < 1e6 ? static_cast<long long>(v * 1000 + 0.5) : 0;
        char digits[24];
        int n = 0;
        long long rest = thousandths / 1000;
        do {
            digits[n++] = static_cast<char>('0' + rest % 10);
            rest /= 10;
        } while (rest);
        size_t at = 0;
        while (n)
            value[at++] = digits[--n];
        value[at++] = '.';
        value[at++] = static_cast<char>('0' + thousandths / 100 % 10);
        value[at++] = static_cast<char>('0' + thousandths / 10 % 10);
        value[at++] = static_cast<char>('0' + thousandths % 10);
        value[at] = '\0';
        argv[argc++] = value;
    }
    argv[argc] = nullptr;
    const pid_t child = ::_Fork();
    if (child == 0) {
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execve(g_reporterProgram, argv, environ);
        ::_exit(127);
    }
    if (child < 0)
        return "Reporter: could not start\n";
    *pidOut = child;
    while (::waitpid(child, statusOut, 0) < 0 && errno == EINTR) {
    }
    return "Reporter: ended\n";
}

void OnFatalSignal(int signal, siginfo_t* info, void* context) {
    const long self = ThreadId();
    long idle = 0;
    if (!g_handlingThread.compare_exchange_strong(idle, self)) {
        if (idle == self)
            ::_exit(0);  // the report itself failed; end as the report would have
        for (;;)
            ::pause();  // another thread is reporting and will end the process
    }
    const int fd = ::open(g_reportPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        CrashSignalInfo crash;
        crash.signal = signal;
        crash.code = info ? info->si_code : 0;
        crash.address = info ? info->si_addr : nullptr;
        crash.senderPid = info && info->si_code <= 0 ? info->si_pid : 0;
        crash.context = context;
        WriteCrashReport(fd, crash);
        ::close(fd);
    }
    int reporter = 0;
    int status = -1;
    const char* outcome = StartReporter(&reporter, &status);
    const int again = ::open(g_reportPath, O_WRONLY | O_APPEND | O_CLOEXEC);
    if (again >= 0) {
        Out out(again);
        out.Text(outcome);
        if (reporter > 0)
            out.Text("Reporter process: ").Dec(reporter).Text(", wait status ").Dec(status).Text("\n");
        out.Flush();
        ::close(again);
    }
    ::_exit(0);
}

[[noreturn]] void OnTerminate() {
    // Not a signal handler: the normal library may be used to say what was thrown.
    size_t n = 0;
    auto add = [&](const char* s) {
        while (s && *s && n + 1 < sizeof g_terminateReason)
            g_terminateReason[n++] = *s++;
        g_terminateReason[n] = '\0';
    };
    if (std::exception_ptr current = std::current_exception()) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& e) {
            add("uncaught exception ");
            add(typeid(e).name());
            add(": ");
            add(e.what());
        } catch (...) {
            add("uncaught exception of an unknown type");
        }
    } else {
        add("std::terminate called without an exception");
    }
    std::abort();
}

}  // namespace

void WriteCrashReport(int fd, const CrashSignalInfo& info) {
    Out out(fd);
    out.Text("Crash report\n");
    if (g_note[0])
        out.Text(g_note).Text("\n");
    out.Text("Time: ");
    WriteTime(out);
    out.Text("\nProcess: ").Dec(::getpid()).Text("\n");
    out.Text("Signal: ").Dec(info.signal).Text(" ").Text(SignalName(info.signal)).Text("\n");
    out.Text("Code: ").Dec(info.code).Text(" ").Text(CodeName(info.signal, info.code)).Text("\n");
    if (info.code > 0)  // a fault raised by the processor, not a signal sent by someone
        out.Text("Fault address: ").Hex(reinterpret_cast<uintptr_t>(info.address)).Text("\n");
    if (info.senderPid > 0)
        out.Text("Sent by process: ").Dec(info.senderPid).Text("\n");
    if (g_terminateReason[0])
        out.Text("Reason: ").Text(g_terminateReason).Text("\n");
    char name[17] = {};
    ::prctl(PR_GET_NAME, name, 0, 0, 0);
    out.Text("Thread: ").Dec(ThreadId()).Text(" ").Text(name).Text("\n");
    WriteRegisters(out, info.context);
    out.Text("Backtrace (resolve offsets with addr2line -f -C -e <program> <offset>):\n");
    out.Flush();
    void* frames[64];
    const int count = ::backtrace(frames, 64);
    ::backtrace_symbols_fd(frames, count, fd);
    WriteThreads(out);
    out.Text("Memory map:\n");
    CopyFile(out, "/proc/self/maps");
    out.Text("End of report\n");
}

void InstallFatalSignalHandlers(const std::string& reportPath) {
    Copy(g_reportPath, sizeof g_reportPath, reportPath);
    // The unwinder loads its library on first use; do that now, outside any handler.
    void* warm[4];
    ::backtrace(warm, 4);

    stack_t stack{};
    stack.ss_sp = g_alternateStack;
    stack.ss_size = sizeof g_alternateStack;
    ::sigaltstack(&stack, nullptr);

    struct sigaction action {};
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int s : kFatalSignals)
        sigaddset(&action.sa_mask, s);
    for (int s : kFatalSignals)
        ::sigaction(s, &action, nullptr);
    std::set_terminate(OnTerminate);
}

void SetCrashReporter(const std::string& program, const std::vector<std::string>& arguments) {
    Copy(g_reporterProgram, sizeof g_reporterProgram, program);
    g_reporterArgCount = std::min(arguments.size(), kMaxReporterArgs);
    for (size_t i = 0; i < g_reporterArgCount; ++i)
        Copy(g_reporterArgs[i], kArgMax, arguments[i]);
}

void SetCrashReporterValue(const double* value) {
    g_reporterValue = value;
}

void SetCrashReporterBlocker(const std::atomic<bool>* flag) {
    g_blocker = flag;
}

void SetCrashReportNote(const std::string& note) {
    Copy(g_note, sizeof g_note, note);
}

}  // namespace orvane
