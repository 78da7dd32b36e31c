#include "platform/os/Folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/os/Utf.h"

namespace qv::os {
namespace {

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir)
        return found->pw_dir;
    return "/";
}

std::string StripTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// An XDG base folder: the variable when it holds an absolute path, else the
// fallback under the home folder.
std::string XdgFolder(const char* variable, const char* homeRelative) {
    if (const char* value = std::getenv(variable); value && value[0] == '/')
        return StripTrailingSlashes(value);
    return StripTrailingSlashes(HomeFolder() + "/" + homeRelative);
}

std::string ReadExecutableLink() {
    std::vector<char> buffer(4096);
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) {
        QV_LOGE("cannot read /proc/self/exe: %s", std::strerror(errno));
        return {};
    }
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}

}  // namespace

std::u16string LocalAppDataFolder() {
    return Utf8ToUtf16(XdgFolder("XDG_DATA_HOME", ".local/share"));
}

std::u16string UserConfigFolder() { return Utf8ToUtf16(XdgFolder("XDG_CONFIG_HOME", ".config")); }

bool MakeFolderChain(const std::string& nativePath) {
    if (nativePath.empty()) return false;
    std::string partial;
    std::size_t pos = 0;
    while (pos <= nativePath.size()) {
        std::size_t slash = nativePath.find('/', pos);
        if (slash == std::string::npos) slash = nativePath.size();
        partial = nativePath.substr(0, slash);
        pos = slash + 1;
        if (partial.empty()) continue;  // the root
        if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat info {};
    return stat(nativePath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakePrivateFolder(const std::string& nativePath) {
    if (!MakeFolderChain(nativePath)) return false;
    struct stat info {};
    return stat(nativePath.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == getuid() && (info.st_mode & 022) == 0;
}

std::u16string PrivateTempFolder() {
    const std::string folder = NativePath(TempFolder()) + "quorvel-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        QV_LOGE("cannot make %s: %s", folder.c_str(), std::strerror(errno));
        return {};
    }
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
        (info.st_mode & 077) != 0) {
        QV_LOGE("%s is not a private folder of this user", folder.c_str());
        return {};
    }
    return Utf8ToUtf16(folder);
}

std::u16string UserStateFolder() { return Utf8ToUtf16(XdgFolder("XDG_STATE_HOME", ".local/state")); }

std::optional<std::u16string> MakeAppDataFolder(std::u16string_view name) {
    std::u16string folder = LocalAppDataFolder() + u"/" + std::u16string(name);
    const std::string native = NativePath(folder);
    if (!MakeFolderChain(native)) {
        QV_LOGE("cannot make the app-data folder %s: %s", native.c_str(), std::strerror(errno));
        return std::nullopt;
    }
    return folder;
}

std::u16string TempFolder() {
    std::string folder = "/tmp";
    if (const char* value = std::getenv("TMPDIR"); value && value[0] == '/')
        folder = StripTrailingSlashes(value);
    if (folder.back() != '/') folder += '/';
    return Utf8ToUtf16(folder);
}

std::u16string ExecutablePath() { return Utf8ToUtf16(ReadExecutableLink()); }

std::u16string ExecutableFolder() {
    const std::string path = ReadExecutableLink();
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return Utf8ToUtf16(slash == 0 ? "/" : path.substr(0, slash));
}

std::u16string ExecutableBaseName() {
    std::string name = ReadExecutableLink();
    if (const auto slash = name.rfind('/'); slash != std::string::npos) name.erase(0, slash + 1);
    if (const auto dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.erase(dot);
    return Utf8ToUtf16(name);
}

}  // namespace qv::os
