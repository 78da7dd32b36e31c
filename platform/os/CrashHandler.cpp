#include "platform/os/CrashHandler.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/os/Folders.h"
#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/os/Utf.h"

namespace qv::os {
namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr std::size_t kPathMax = 1024;
constexpr std::size_t kAltStackSize = 64 * 1024;

// Settings kept for the handler, filled at installation.
std::atomic<bool> g_installed{false};
std::atomic<bool> g_inHandler{false};
std::atomic<bool> g_dumpDone{false};
char g_folder[kPathMax];
char g_baseName[256];
long g_utcOffsetSeconds = 0;  // local time = UTC + offset, taken at installation
char g_altStack[kAltStackSize];

// A fixed buffer and append helpers that use no allocation and no locale.
struct Text {
    char data[4096];
    std::size_t size = 0;

    void Add(const char* s) {
        while (*s && size < sizeof data - 1) data[size++] = *s++;
        data[size] = '\0';
    }
    void AddUnsigned(unsigned long long value, unsigned base = 10, int minDigits = 1) {
        char digits[32];
        int n = 0;
        do {
            digits[n++] = "0123456789abcdef"[value % base];
            value /= base;
        } while (value && n < 32);
        while (n < minDigits && n < 32) digits[n++] = '0';
        char reversed[33];
        for (int i = 0; i < n; ++i) reversed[i] = digits[n - 1 - i];
        reversed[n] = '\0';
        Add(reversed);
    }
    void AddSigned(long long value) {
        if (value < 0) {
            Add("-");
            AddUnsigned(0ull - static_cast<unsigned long long>(value));
        } else {
            AddUnsigned(static_cast<unsigned long long>(value));
        }
    }
    void AddHex(unsigned long long value) {
        Add("0x");
        AddUnsigned(value, 16, 16);
    }
};

void WriteAll(int fd, const char* data, std::size_t size) {
    while (size) {
        const ssize_t n = write(fd, data, size);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) continue;
            return;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void WriteText(int fd, const Text& text) { WriteAll(fd, text.data, text.size); }

// Civil date from days since 1970-01-01 (proleptic Gregorian).
void CivilFromDays(long long days, int& year, int& month, int& day) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// "<folder>/<base>_YYYYMMDDhhmmss" for the current local time.
void FormatDumpPath(Text& path) {
    const long long local = static_cast<long long>(time(nullptr)) + g_utcOffsetSeconds;
    long long days = local / 86400;
    long long seconds = local % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    int year, month, day;
    CivilFromDays(days, year, month, day);
    path.Add(g_folder);
    path.Add("/");
    path.Add(g_baseName);
    path.Add("_");
    path.AddUnsigned(static_cast<unsigned>(year));
    path.AddUnsigned(static_cast<unsigned>(month), 10, 2);
    path.AddUnsigned(static_cast<unsigned>(day), 10, 2);
    path.AddUnsigned(static_cast<unsigned>(seconds / 3600), 10, 2);
    path.AddUnsigned(static_cast<unsigned>(seconds / 60 % 60), 10, 2);
    path.AddUnsigned(static_cast<unsigned>(seconds % 60), 10, 2);
}

// mkdir for every piece of the folder; failures show at the open.
void MakeFolderChainSafely(const char* folder) {
    char partial[kPathMax];
    std::size_t i = 0;
    for (; folder[i] && i < sizeof partial - 1; ++i) {
        if (folder[i] == '/' && i > 0) {
            partial[i] = '\0';
            mkdir(partial, 0700);
        }
        partial[i] = folder[i];
    }
    partial[i] = '\0';
    mkdir(partial, 0700);
}

const char* SignalName(int sig) {
    switch (sig) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGILL: return "SIGILL";
    case SIGFPE: return "SIGFPE";
    case SIGABRT: return "SIGABRT";
    default: return "signal";
    }
}

void WriteRegisters(int fd, const void* context) {
    if (!context) return;
    Text text;
    text.Add("registers:\n");
#if defined(__x86_64__)
    static const struct {
        const char* name;
        int index;
    } kRegisters[] = {
        {"rip", REG_RIP}, {"rsp", REG_RSP}, {"rbp", REG_RBP}, {"rax", REG_RAX}, {"rbx", REG_RBX},
        {"rcx", REG_RCX}, {"rdx", REG_RDX}, {"rsi", REG_RSI}, {"rdi", REG_RDI}, {"r8", REG_R8},
        {"r9", REG_R9},   {"r10", REG_R10}, {"r11", REG_R11}, {"r12", REG_R12}, {"r13", REG_R13},
        {"r14", REG_R14}, {"r15", REG_R15}, {"efl", REG_EFL}, {"err", REG_ERR}, {"trapno", REG_TRAPNO},
    };
    const auto* uc = static_cast<const ucontext_t*>(context);
    for (const auto& reg : kRegisters) {
        text.Add("  ");
        text.Add(reg.name);
        text.Add(" ");
        text.AddHex(static_cast<unsigned long long>(uc->uc_mcontext.gregs[reg.index]));
        text.Add("\n");
    }
#elif defined(__aarch64__)
    const auto* uc = static_cast<const ucontext_t*>(context);
    for (int i = 0; i < 31; ++i) {
        text.Add("  x");
        text.AddUnsigned(static_cast<unsigned>(i));
        text.Add(" ");
        text.AddHex(uc->uc_mcontext.regs[i]);
        text.Add("\n");
    }
    text.Add("  sp ");
    text.AddHex(uc->uc_mcontext.sp);
    text.Add("\n  pc ");
    text.AddHex(uc->uc_mcontext.pc);
    text.Add("\n");
#else
    text.Add("  (not recorded on this architecture)\n");
#endif
    WriteText(fd, text);
}

void CopyFile(int out, const char* path) {
    const int in = open(path, O_RDONLY | O_CLOEXEC);
    if (in < 0) return;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        WriteAll(out, buffer, static_cast<std::size_t>(n));
    }
    close(in);
}

// A new file only: never one that is there already, and never through a
// link planted at its name. Taken names get a number.
int CreateDumpFile() {
    Text stem;
    FormatDumpPath(stem);
    for (unsigned n = 0; n < 10; ++n) {
        Text path;
        path.Add(stem.data);
        if (n > 0) {
            path.Add("_");
            path.AddUnsigned(n);
        }
        path.Add(".dmp");
        const int fd = open(path.data, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

void WriteDump(int sig, const siginfo_t* info, const void* context) {
    MakeFolderChainSafely(g_folder);
    const int fd = CreateDumpFile();
    if (fd < 0) return;

    Text head;
    head.Add("crash dump of ");
    head.Add(g_baseName);
    head.Add("\nsignal ");
    head.AddSigned(sig);
    head.Add(" (");
    head.Add(SignalName(sig));
    head.Add(") code ");
    head.AddSigned(info ? info->si_code : 0);
    head.Add("\naddress ");
    head.AddHex(info ? reinterpret_cast<unsigned long long>(info->si_addr) : 0);
    head.Add("\npid ");
    head.AddSigned(getpid());
    head.Add(" thread ");
    head.AddSigned(static_cast<long long>(syscall(SYS_gettid)));
    head.Add("\n");
    WriteText(fd, head);
    WriteRegisters(fd, context);

    Text title;
    title.Add("backtrace:\n");
    WriteText(fd, title);
    void* frames[64];
    const int count = backtrace(frames, 64);
    backtrace_symbols_fd(frames, count, fd);

    Text modules;
    modules.Add("modules:\n");
    WriteText(fd, modules);
    CopyFile(fd, "/proc/self/maps");
    close(fd);
}

void RestoreDefault(int sig) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, nullptr);
}

void OnFatalSignal(int sig, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    // One dump per process. A second thread that crashes meanwhile waits (a
    // few seconds at most) so the process does not end under the writer.
    if (!g_inHandler.exchange(true)) {
        WriteDump(sig, info, context);
        g_dumpDone.store(true);
    } else {
        const timespec pause{0, 50 * 1000 * 1000};
        for (int i = 0; i < 100 && !g_dumpDone.load(); ++i) nanosleep(&pause, nullptr);
    }
    RestoreDefault(sig);
    // Re-raised, the signal is delivered with its default action as soon as
    // the handler returns; a fault would also recur at the faulting instruction.
    raise(sig);
    errno = savedErrno;
}

}  // namespace

bool IsCrashHandlerInstalled() { return g_installed.load(); }

bool InstallCrashHandler(std::u16string_view folder, std::u16string_view baseName) {
    if (g_installed.load()) return true;
    std::string nativeFolder = NativePath(std::u16string(folder));
    while (nativeFolder.size() > 1 && nativeFolder.back() == '/') nativeFolder.pop_back();
    // Dumps hold the process's memory: only a folder nobody else may write
    // to (and so plant links in) takes them.
    if (!nativeFolder.empty() && !MakePrivateFolder(nativeFolder)) {
        QV_LOGW("%s is not a private folder: crash dumps go to a private temporary folder",
                nativeFolder.c_str());
        nativeFolder.clear();
    }
    if (nativeFolder.empty()) nativeFolder = NativePath(PrivateTempFolder());
    const std::string base = Utf16ToUtf8(baseName.empty() ? ExecutableBaseName() : std::u16string(baseName));
    if (nativeFolder.empty()) {
        QV_LOGE("no private folder for crash dumps");
        return false;
    }
    // Room for "/<base>_YYYYMMDDhhmmss_N.dmp" after the folder.
    if (nativeFolder.size() + base.size() + 26 >= kPathMax || base.size() >= sizeof g_baseName) {
        QV_LOGE("crash dump path too long");
        return false;
    }
    std::memcpy(g_folder, nativeFolder.c_str(), nativeFolder.size() + 1);
    std::memcpy(g_baseName, base.c_str(), base.size() + 1);
    MakeFolderChainSafely(g_folder);

    const time_t now = time(nullptr);
    struct tm local {};
    if (localtime_r(&now, &local)) g_utcOffsetSeconds = local.tm_gmtoff;

    // backtrace() loads its unwinder on first use, which allocates: do it now.
    void* warm[4];
    backtrace(warm, 4);

    // Room to run on when the stack itself overflowed (this thread; the
    // threads the program starts hold an AltSignalStack each).
    stack_t stack{};
    stack.ss_sp = g_altStack;
    stack.ss_size = sizeof g_altStack;
    sigaltstack(&stack, nullptr);

    struct sigaction action {};
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int sig : kSignals) sigaction(sig, &action, nullptr);
    g_installed.store(true);
    return true;
}

}  // namespace qv::os
