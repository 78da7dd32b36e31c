#pragma once
#include <string>
#include <vector>

#include "platform/os/Log.h"

namespace qv::test {

// Collects the error lines logged while it lives, with their function names.
class LogCapture : public qv::os::ILogSink {
public:
    struct Line {
        std::string function;
        std::string text;
    };

    LogCapture() { qv::os::SetLogSink(this); }
    ~LogCapture() override { qv::os::SetLogSink(nullptr); }

    bool IsEnabled(int logger, int level) override {
        return logger == 0 && level >= qv::os::kLogError;
    }
    void Push(int, const qv::os::LogRecord& record) override {
        lines.push_back({record.function, record.text});
    }

    std::vector<Line> lines;
};

}  // namespace qv::test
