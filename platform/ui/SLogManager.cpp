#include "platform/ui/SLogManager.h"

#include <sys/stat.h>

#include <chrono>
#include <ctime>

namespace qv::ui {
namespace {

const char* LevelName(int level) {
    switch (level) {
    case qv::os::kLogTrace: return "TRACE";
    case qv::os::kLogDebug: return "DEBUG";
    case qv::os::kLogInfo: return "INFO";
    case qv::os::kLogWarn: return "WARN";
    case qv::os::kLogError: return "ERROR";
    default: return "FATAL";
    }
}

}  // namespace

SLogManager::SLogManager() { m_loggers[0].name = "default"; }

SLogManager::~SLogManager() {
    Stop();
    for (auto& [id, logger] : m_loggers) {
        if (logger.file) std::fclose(logger.file);
    }
}

int SLogManager::CreateLogger(const std::string& name) {
    std::lock_guard<std::mutex> guard(m_mutex);
    for (auto& [id, logger] : m_loggers) {
        if (logger.name == name) return id;
    }
    int id = static_cast<int>(m_loggers.size());
    m_loggers[id].name = name;
    return id;
}

void SLogManager::SetLogFolder(const std::string& folder) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_folder = folder;
}

void SLogManager::SetLevel(int logger, int level) {
    std::lock_guard<std::mutex> guard(m_mutex);
    auto it = m_loggers.find(logger);
    if (it != m_loggers.end()) it->second.level = level;
}

bool SLogManager::Start() {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (!m_folder.empty()) ::mkdir(m_folder.c_str(), 0755);
        m_started = true;
    }
    qv::os::SetLogSink(this);
    return true;
}

void SLogManager::Stop() {
    if (!m_started) return;
    qv::os::SetLogSink(nullptr);
    std::lock_guard<std::mutex> guard(m_mutex);
    m_started = false;
}

bool SLogManager::IsEnabled(int logger, int level) {
    std::lock_guard<std::mutex> guard(m_mutex);
    auto it = m_loggers.find(logger);
    return m_started && it != m_loggers.end() && level >= it->second.level;
}

std::string SLogManager::FormatLine(const qv::os::LogRecord& r) {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm tm{};
    localtime_r(&t, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &tm);
    char head[128];
    std::snprintf(head, sizeof head, "%s.%03d %s [%s] ", stamp, ms, LevelName(r.level), r.tag ? r.tag : "");
    std::string line = head;
    line += r.file ? r.file : "";
    line += ":" + std::to_string(r.line) + " ";
    line += r.function ? r.function : "";
    char caller[32];
    std::snprintf(caller, sizeof caller, " %p ", r.caller);
    line += caller;
    line += r.text ? r.text : "";
    return line;
}

void SLogManager::Push(int logger, const qv::os::LogRecord& record) {
    std::string line = FormatLine(record);
    std::lock_guard<std::mutex> guard(m_mutex);
    auto it = m_loggers.find(logger);
    if (it == m_loggers.end()) return;
    Logger& l = it->second;
    if (!l.file && !m_folder.empty()) {
        std::string path = m_folder + "/" + l.name + ".log";
        l.file = std::fopen(path.c_str(), "a");
    }
    if (l.file) {
        std::fprintf(l.file, "%s\n", line.c_str());
        std::fflush(l.file);
    } else {
        qv::os::DebugOutput(line.c_str());
    }
}

}  // namespace qv::ui
