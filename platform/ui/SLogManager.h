#pragma once
// The log manager: loggers by id (0 is the default, others by name), a log
// folder, a level filter per logger. Started, it is the process's log sink
// and writes one line per record to "<folder>/<logger>.log":
// "2026-12-08 19:25:21.123 ERROR [soui] file:line function 0xcaller text",
// the text with its control characters escaped.
//
// A file that grows past the size cap is renamed to "<logger>.log.1"
// (replacing the one before) and a new file is begun; a file already past
// the cap (left by an older run) keeps only its last lines within the cap as
// "<logger>.log.1". The same message
// repeated in a burst (within kBurstMs of its last written copy) is written
// once; the next other message, or the end of the burst, first writes how
// often it was repeated. A log file that is not a regular file (a link, a
// FIFO) is never written through.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "platform/os/Log.h"
#include "platform/os/UniqueFd.h"

namespace qv::ui {

class SLogManager : public qv::os::ILogSink {
public:
    static constexpr std::uint64_t kDefaultMaxFileSize = 2u << 20;
    static constexpr std::uint64_t kBurstMs = 10000;

    SLogManager();
    ~SLogManager() override;

    // Returns the logger's id; the default logger is 0.
    int CreateLogger(const std::string& name);
    // Made (with its parents, private to the user) when the manager starts.
    void SetLogFolder(const std::string& folder);
    // Records below the level are not taken (the debug output gets them).
    void SetLevel(int logger, int level);
    // Bytes a log file may reach before it is rotated.
    void SetMaxFileSize(std::uint64_t bytes);
    // Installs this manager as the process's log sink.
    bool Start();
    // Writes what a burst still holds and removes the sink.
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
        qv::os::UniqueFd file;
        std::uint64_t size = 0;
        // The message written last and how often it came again since.
        std::string lastKey;
        std::uint64_t lastWrittenMs = 0;
        unsigned repeats = 0;
    };
    void WriteLine(Logger& logger, const std::string& line);
    void Rotate(Logger& logger);
    void FlushRepeats(Logger& logger);
    bool OpenFile(Logger& logger);
    std::string PathOf(const Logger& logger) const;

    std::mutex m_mutex;
    std::map<int, Logger> m_loggers;
    std::string m_folder;
    std::uint64_t m_maxFileSize = kDefaultMaxFileSize;
    bool m_started = false;
};

}  // namespace qv::ui
