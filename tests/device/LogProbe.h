#pragma once
#include <algorithm>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/os/Log.h"

// Installs itself as the log sink for its lifetime and records every error
// line, from any thread; onLine runs on the logging thread.
class LogProbe : public qv::os::ILogSink {
public:
    LogProbe() { qv::os::SetLogSink(this); }
    ~LogProbe() override { qv::os::SetLogSink(nullptr); }

    std::function<void(const std::string& text)> onLine;

    bool IsEnabled(int, int level) override { return level >= qv::os::kLogError; }
    void Push(int, const qv::os::LogRecord& record) override {
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            m_lines.push_back(record.function + std::string(": ") + record.text);
        }
        if (onLine) onLine(record.text);
    }
    // Lines as "Class::Function: text".
    std::vector<std::string> Lines() const {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_lines;
    }
    int Count(const std::string& line) const {
        auto lines = Lines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};
