#include "platform/os/Log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <shared_mutex>

namespace qv::os {
namespace {

std::shared_mutex g_sinkMutex;
ILogSink* g_sink = nullptr;
std::atomic<DebugOutputHook> g_debugHook{nullptr};

}  // namespace

void SetLogSink(ILogSink* sink) {
    std::unique_lock<std::shared_mutex> guard(g_sinkMutex);
    g_sink = sink;
}

void SetDebugOutputHook(DebugOutputHook hook) { g_debugHook.store(hook); }

void DebugOutput(const char* text) {
    if (DebugOutputHook hook = g_debugHook.load()) {
        hook(text);
        return;
    }
    std::fprintf(stderr, "%s\n", text);
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
