#include "platform/os/DamagedFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/os/Profile.h"

namespace qv::os {
namespace {

constexpr std::string_view kMarker = ".damaged-";

std::string TimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// Renames without replacing anything at the new name; a second set-aside in
// the same second takes "-2", "-3"...
std::optional<std::string> RenameAside(const std::string& path) {
    const std::string base = path + std::string(kMarker) + TimeStamp();
    for (int n = 1; n < 100; ++n) {
        const std::string name = n == 1 ? base : base + "-" + std::to_string(n);
        if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0) return name;
        if (errno != EEXIST) return std::nullopt;
    }
    errno = EEXIST;
    return std::nullopt;
}

// The oldest copies past the kept number go. A rename stamps the status
// change time, so that time orders the copies by when they were set aside.
void PruneOldCopies(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path original(path);
    const std::string prefix = original.filename().string() + std::string(kMarker);
    struct Copy {
        timespec changed;
        fs::path path;
    };
    std::vector<Copy> copies;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(original.parent_path().empty() ? "." : original.parent_path(), error)) {
        struct stat info {};
        if (entry.path().filename().string().starts_with(prefix) && lstat(entry.path().c_str(), &info) == 0)
            copies.push_back({info.st_ctim, entry.path()});
    }
    if (copies.size() <= static_cast<std::size_t>(kKeptDamagedCopies)) return;
    std::sort(copies.begin(), copies.end(), [](const Copy& a, const Copy& b) {
        if (a.changed.tv_sec != b.changed.tv_sec) return a.changed.tv_sec < b.changed.tv_sec;
        if (a.changed.tv_nsec != b.changed.tv_nsec) return a.changed.tv_nsec < b.changed.tv_nsec;
        return a.path < b.path;
    });
    for (std::size_t i = 0; i + kKeptDamagedCopies < copies.size(); ++i) fs::remove_all(copies[i].path, error);
}

std::u16string_view BaseName(std::u16string_view path) {
    const auto slash = path.rfind(u'/');
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::u16string DamagedFileNotice(std::u16string_view file, std::u16string_view renamedTo) {
    return u"无法读取 " + std::u16string(BaseName(file)) + u"，它已改名为 " + std::u16string(BaseName(renamedTo)) +
           u"，保存在原来的文件夹中。程序使用默认设置。";
}

std::optional<SetAsideFile> SetAsideIfDamaged(std::u16string_view file) {
    std::string why;
    if (CheckProfileFile(file, &why) != ProfileFileState::Damaged) return std::nullopt;
    const std::string path = NativePath(file);
    const std::optional<std::string> renamed = RenameAside(path);
    if (!renamed) {
        QV_LOGE("%s cannot be read (%s) and cannot be set aside: %s", path.c_str(), why.c_str(), std::strerror(errno));
        return std::nullopt;
    }
    QV_LOGE("%s cannot be read (%s): set aside as %s", path.c_str(), why.c_str(), renamed->c_str());
    PruneOldCopies(path);
    return SetAsideFile{ProgramPath(*renamed), why};
}

}  // namespace qv::os
