#include "platform/os/Log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <shared_mutex>

#include "platform/os/UniqueFd.h"

namespace qv::os {
namespace {

std::shared_mutex g_sinkMutex;
ILogSink* g_sink = nullptr;
std::atomic<DebugOutputHook> g_debugHook{nullptr};
std::mutex g_fileMutex;
// Guarded by g_fileMutex; never closed at exit, so threads that still log
// while the process ends write to a valid descriptor.
int g_debugFile = -1;

void WriteLine(int fd, const std::string& line) {
    const std::string text = line + "\n";
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

}  // namespace

std::string EscapeControls(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            // A C1 control in UTF-8 (U+0080 .. U+009F): terminals act on some.
            const auto code = static_cast<unsigned char>(text[++i]);
            out += "\\u00";
            out += kHex[code >> 4];
            out += kHex[code & 0xF];
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void SetLogSink(ILogSink* sink) {
    std::unique_lock<std::shared_mutex> guard(g_sinkMutex);
    g_sink = sink;
}

void SetDebugOutputHook(DebugOutputHook hook) { g_debugHook.store(hook); }

bool SetDebugOutputFile(const std::string& nativePath) {
    std::lock_guard<std::mutex> guard(g_fileMutex);
    if (nativePath.empty()) {
        if (g_debugFile >= 0) close(g_debugFile);
        g_debugFile = -1;
        return true;
    }
    // O_NOFOLLOW: a link planted at the name is not written through.
    UniqueFd fd(open(nativePath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
    struct stat info {};
    if (!fd || fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    if (info.st_size > kDebugFileCap && ftruncate(fd.Get(), 0) != 0) return false;
    if (g_debugFile >= 0) close(g_debugFile);
    g_debugFile = fd.Release();
    return true;
}

void DebugOutput(const char* text) {
    const std::string line = EscapeControls(text ? text : "");
    if (DebugOutputHook hook = g_debugHook.load()) {
        hook(line.c_str());
        return;
    }
    std::lock_guard<std::mutex> guard(g_fileMutex);
    WriteLine(g_debugFile >= 0 ? g_debugFile : STDERR_FILENO, line);
}

const char* QualifiedFunctionName(const char* pretty, char* out, int outSize) {
    if (!pretty || outSize <= 0) return "";
    // The name ends at the first '(' outside template brackets and starts after
    // the last blank before it (past the return type).
    const char* end = pretty + std::strlen(pretty);
    int depth = 0;
    for (const char* p = pretty; *p; ++p) {
        if (*p == '<') ++depth;
        else if (*p == '>') --depth;
        else if (*p == '(' && depth == 0) { end = p; break; }
    }
    const char* begin = pretty;
    depth = 0;
    for (const char* p = end; p > pretty; --p) {
        char c = p[-1];
        if (c == '>') ++depth;
        else if (c == '<') --depth;
        else if (c == ' ' && depth == 0) { begin = p; break; }
    }
    int n = static_cast<int>(end - begin);
    if (n >= outSize) n = outSize - 1;
    std::memcpy(out, begin, static_cast<size_t>(n));
    out[n] = '\0';
    return out;
}

void LogPrintf(int level, const char* file, int line, const char* prettyFunction,
               const void* caller, const char* format, ...) {
    char text[kLogBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);

    {
        std::shared_lock<std::shared_mutex> guard(g_sinkMutex);
        if (g_sink && g_sink->IsEnabled(0, level)) {
            char function[256];
            LogRecord record{kLogTag, level, file, line,
                             QualifiedFunctionName(prettyFunction, function, sizeof function),
                             caller, text};
            g_sink->Push(0, record);
            return;
        }
    }
    DebugOutput(text);
}

void TracePrintf(const char* format, ...) {
    char text[kLogBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    DebugOutput(text);
}

}  // namespace qv::os
