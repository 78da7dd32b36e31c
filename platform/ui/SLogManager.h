#pragma once
// The log manager: loggers by id (0 is the default, others by name), a log
// folder, a level filter per logger. Started, it is the process's log sink
// and writes one line per record to "<folder>/<logger>.log":
// "2026-12-08 19:25:21.123 ERROR [soui] file:line function 0xcaller text".
#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "platform/os/Log.h"

namespace qv::ui {

class SLogManager : public qv::os::ILogSink {
public:
    SLogManager();
    ~SLogManager() override;

    // Returns the logger's id; the default logger is 0.
    int CreateLogger(const std::string& name);
    void SetLogFolder(const std::string& folder);
    // Records below the level are not taken (the debug output gets them).
    void SetLevel(int logger, int level);
    // Installs this manager as the process's log sink.
    bool Start();
    void Stop();
    bool IsStarted() const { return m_started; }

    bool IsEnabled(int logger, int level) override;
    void Push(int logger, const qv::os::LogRecord& record) override;
    // The line as written, without the newline.
    static std::string FormatLine(const qv::os::LogRecord& record);

private:
    struct Logger {
        std::string name;
        int level = qv::os::kLogWarn;
        std::FILE* file = nullptr;
    };
    std::mutex m_mutex;
    std::map<int, Logger> m_loggers;
    std::string m_folder;
    bool m_started = false;
};

}  // namespace qv::ui
