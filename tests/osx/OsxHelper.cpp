// A child process for the tests that need a second process:
//   osx_helper lock NAME              prints 1 (got the lock) or 0, holds it until stdin closes
//   osx_helper activate CLASS MSG W L sends to the window of CLASS; prints the result;
//                                     exit code 0 when answered, 1 when not
//   osx_helper crash FOLDER KIND      installs the crash handler, then dies by KIND
//                                     (segv, abort, fpe, or overflow: a stack
//                                     overflow on a worker thread)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/thread/ThreadObject.h"
#include "platform/os/ActivationChannel.h"
#include "platform/os/CrashHandler.h"
#include "platform/os/InstanceLock.h"
#include "platform/os/Utf.h"

namespace {

int Lock(const char* name) {
    qv::os::InstanceLock lock(qv::os::Utf8ToUtf16(name));
    const bool held = lock.TryAcquire();
    std::printf("%d\n", held ? 1 : 0);
    std::fflush(stdout);
    char c;
    while (read(0, &c, 1) > 0) {
    }
    return 0;
}

int Activate(const char* windowClass, const char* message, const char* w, const char* l) {
    LRESULT result = 0;
    const bool answered = qv::os::SendToWindowOfClass(
        qv::os::Utf8ToUtf16(windowClass), static_cast<UINT>(std::strtoul(message, nullptr, 0)),
        std::strtoull(w, nullptr, 0), std::strtoll(l, nullptr, 0), &result, 5000);
    std::printf("%ld\n", static_cast<long>(result));
    return answered ? 0 : 1;
}

volatile int g_zero = 0;

// Recurses until the thread's stack is used up.
__attribute__((no_sanitize("address", "undefined"), noinline)) int Deeper(int depth) {
    volatile char frame[1024];
    frame[0] = static_cast<char>(depth);
    if (depth == g_zero - 1) return 0;  // never: the stack runs out first
    return Deeper(depth + 1) + frame[0];
}

class OverflowingWorker : public CThreadObject {
public:
    ~OverflowingWorker() override { Stop(INFINITE); }

protected:
    int Run() override { return Deeper(0); }
};

// Real faults, not the sanitizers' reports of them.
__attribute__((no_sanitize("address", "undefined"))) int Crash(const char* folder, const std::string& kind) {
    if (!qv::os::InstallCrashHandler(qv::os::Utf8ToUtf16(folder), u"")) return 3;
    if (kind == "segv") {
        volatile int* nowhere = reinterpret_cast<int*>(g_zero);
        *nowhere = 1;
    } else if (kind == "abort") {
        std::abort();
    } else if (kind == "fpe") {
        volatile int seven = 7;
        std::printf("%d\n", seven / g_zero);
    } else if (kind == "overflow") {
        OverflowingWorker worker;
        worker.Start();
        worker.Stop(INFINITE);
    }
    return 4;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "lock" && argc == 3) return Lock(argv[2]);
    if (command == "activate" && argc == 6) return Activate(argv[2], argv[3], argv[4], argv[5]);
    if (command == "crash" && argc == 4) return Crash(argv[2], argv[3]);
    std::fprintf(stderr, "usage: osx_helper lock NAME | activate CLASS MSG W L\n");
    return 2;
}
