#pragma once
// The program's log entry point. A line is formatted into 2048 bytes (longer
// texts are cut) and pushed to the installed log sink (the UI framework's log
// manager) when one exists and enables the level for logger 0; otherwise the
// text goes to the debug output: a file when the program names one, else
// stderr unless a test captures it.
//
// Texts carry what came from outside (server messages, URLs, names, paths),
// so what is written never holds a control character: every record is one
// line, with CR, LF, ESC and the others written as escapes ("\r", "\n",
// "\x1b"). The sinks escape, so no caller has to.
#include <string>
#include <string_view>

namespace qv::os {

enum LogLevel : int {
    kLogTrace = 0,
    kLogDebug = 1,
    kLogInfo = 2,
    kLogWarn = 3,
    kLogError = 4,
    kLogFatal = 5,
};

constexpr int kLogBufferSize = 2048;
constexpr const char* kLogTag = "soui";

struct LogRecord {
    const char* tag;
    int level;
    const char* file;
    int line;
    const char* function;  // qualified name, "CHidBase::OpenDevice"
    const void* caller;
    const char* text;
};

class ILogSink {
public:
    virtual ~ILogSink() = default;
    virtual bool IsEnabled(int logger, int level) = 0;
    virtual void Push(int logger, const LogRecord& record) = 0;
};

// Installs the process's log sink; null removes it. Safe against lines being
// logged on other threads at the same time.
void SetLogSink(ILogSink* sink);

// The text with its line ends at the end dropped and every other control
// character (C0, DEL, C1) escaped: "\r", "\n", "\t", "\x1b", "\u009b".
std::string EscapeControls(std::string_view text);

// Where the text goes when no sink takes it. Null restores the file or
// stderr.
using DebugOutputHook = void (*)(const char* text);
void SetDebugOutputHook(DebugOutputHook hook);
// Appends the debug output to this file (made private to the user, never
// written through a link) instead of stderr; one past kDebugFileCap bytes
// is begun anew. An empty path restores stderr. False when the file cannot
// be opened (stderr stays).
constexpr long kDebugFileCap = 2L << 20;
bool SetDebugOutputFile(const std::string& nativePath);
// One escaped line to the hook, the file or stderr.
void DebugOutput(const char* text);

void LogPrintf(int level, const char* file, int line, const char* prettyFunction,
               const void* caller, const char* format, ...)
    __attribute__((format(printf, 6, 7)));

// A debugger trace: always to the debug output, never to the sink.
void TracePrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "BOOL CHidBase::OpenDevice()" -> "CHidBase::OpenDevice".
const char* QualifiedFunctionName(const char* prettyFunction, char* out, int outSize);

}  // namespace qv::os

#define QV_LOG_AT(level, ...)                                                       \
    ::qv::os::LogPrintf((level), __FILE__, __LINE__, __PRETTY_FUNCTION__,           \
                        __builtin_return_address(0), __VA_ARGS__)
#define QV_LOGE(...) QV_LOG_AT(::qv::os::kLogError, __VA_ARGS__)
#define QV_LOGW(...) QV_LOG_AT(::qv::os::kLogWarn, __VA_ARGS__)
#define QV_LOGI(...) QV_LOG_AT(::qv::os::kLogInfo, __VA_ARGS__)
#define QV_TRACE(...) ::qv::os::TracePrintf(__VA_ARGS__)
