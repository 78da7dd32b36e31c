#include "platform/ui/SLogManager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <ctime>

#include "platform/os/AtomicFile.h"
#include "platform/os/Folders.h"
#include "platform/os/Tick.h"

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

// What makes two records the same message: where and what, not when.
std::string MessageKey(const qv::os::LogRecord& r) {
    return std::to_string(r.level) + '|' + (r.file ? r.file : "") + ':' + std::to_string(r.line) + '|' +
           (r.text ? r.text : "");
}

}  // namespace

SLogManager::SLogManager() { m_loggers[0].name = "default"; }

SLogManager::~SLogManager() { Stop(); }

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
    while (m_folder.size() > 1 && m_folder.back() == '/') m_folder.pop_back();
}

void SLogManager::SetLevel(int logger, int level) {
    std::lock_guard<std::mutex> guard(m_mutex);
    auto it = m_loggers.find(logger);
    if (it != m_loggers.end()) it->second.level = level;
}

void SLogManager::SetMaxFileSize(std::uint64_t bytes) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_maxFileSize = bytes;
}

bool SLogManager::Start() {
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (!m_folder.empty() && !qv::os::MakeFolderChain(m_folder)) {
            qv::os::DebugOutput(("cannot make the log folder " + m_folder).c_str());
        }
        m_started = true;
    }
    qv::os::SetLogSink(this);
    return true;
}

void SLogManager::Stop() {
    if (!m_started) return;
    qv::os::SetLogSink(nullptr);
    std::lock_guard<std::mutex> guard(m_mutex);
    for (auto& [id, logger] : m_loggers) FlushRepeats(logger);
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
    line += qv::os::EscapeControls(r.text ? r.text : "");
    return line;
}

std::string SLogManager::PathOf(const Logger& logger) const { return m_folder + "/" + logger.name + ".log"; }

bool SLogManager::OpenFile(Logger& logger) {
    if (logger.file) return true;
    if (m_folder.empty()) return false;
    // O_NOFOLLOW: a link planted at the log's name is not written through.
    qv::os::UniqueFd fd(open(PathOf(logger).c_str(),
                             O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
    struct stat info {};
    if (!fd || fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    logger.size = static_cast<std::uint64_t>(info.st_size);
    logger.file = std::move(fd);
    return true;
}

void SLogManager::Rotate(Logger& logger) {
    const std::string path = PathOf(logger);
    const std::string older = path + ".1";
    // A file past the cap (one an older run left) keeps only its last lines
    // that fit, so the older file is never larger than the cap either.
    if (logger.size > m_maxFileSize) {
        std::string tail(static_cast<std::size_t>(m_maxFileSize), '\0');
        const qv::os::UniqueFd reader(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        const ssize_t n = reader ? pread(reader.Get(), tail.data(), tail.size(),
                                         static_cast<off_t>(logger.size - m_maxFileSize))
                                 : -1;
        tail.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        const auto firstEnd = tail.find('\n');
        tail.erase(0, firstEnd == std::string::npos ? tail.size() : firstEnd + 1);
        logger.file.Reset();
        if (!qv::os::ReplaceFileAtomically(older, tail)) std::remove(older.c_str());
        std::remove(path.c_str());
        return;
    }
    // One older file is kept; rename does not follow a link at either name.
    logger.file.Reset();
    std::rename(path.c_str(), older.c_str());
}

void SLogManager::WriteLine(Logger& logger, const std::string& text) {
    const std::string line = text + "\n";
    // Opened first, so that the cap holds from the first line on.
    if (!OpenFile(logger)) {
        qv::os::DebugOutput(text.c_str());
        return;
    }
    if (logger.size > 0 && logger.size + line.size() > m_maxFileSize) {
        Rotate(logger);
        if (!OpenFile(logger)) {
            qv::os::DebugOutput(text.c_str());
            return;
        }
    }
    const ssize_t written = write(logger.file.Get(), line.data(), line.size());
    if (written > 0) logger.size += static_cast<std::uint64_t>(written);
}

void SLogManager::FlushRepeats(Logger& logger) {
    if (logger.repeats == 0) return;
    WriteLine(logger, "last message repeated " + std::to_string(logger.repeats) + " times");
    logger.repeats = 0;
}

void SLogManager::Push(int logger, const qv::os::LogRecord& record) {
    std::string key = MessageKey(record);
    std::string line = FormatLine(record);
    const std::uint64_t now = qv::os::NowMs();
    std::lock_guard<std::mutex> guard(m_mutex);
    auto it = m_loggers.find(logger);
    if (it == m_loggers.end()) return;
    Logger& l = it->second;
    if (key == l.lastKey && now - l.lastWrittenMs < kBurstMs) {
        ++l.repeats;
        return;
    }
    FlushRepeats(l);
    WriteLine(l, line);
    l.lastKey = std::move(key);
    l.lastWrittenMs = now;
}

}  // namespace qv::ui
