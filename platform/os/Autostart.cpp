#include "platform/os/Autostart.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/os/AtomicFile.h"
#include "platform/os/Folders.h"
#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/os/Utf.h"

namespace qv::os {
namespace {

std::u16string AutostartFolder() { return UserConfigFolder() + u"/autostart"; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// $XDG_CONFIG_DIRS, absolute entries in order, else /etc/xdg.
std::vector<std::string> SystemConfigFolders() {
    std::vector<std::string> folders;
    if (const char* value = std::getenv("XDG_CONFIG_DIRS")) {
        std::string_view rest = value;
        while (!rest.empty()) {
            const auto colon = rest.find(':');
            const std::string_view folder = rest.substr(0, colon);
            if (!folder.empty() && folder.front() == '/') folders.emplace_back(folder);
            rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        }
    }
    if (folders.empty()) folders.emplace_back("/etc/xdg");
    return folders;
}

std::optional<std::u16string> ReadEntryCommand(const std::string& path) {
    auto content = ReadWholeFile(path);
    if (!content) return std::nullopt;
    std::optional<std::u16string> command;
    bool inMainGroup = false;
    std::string_view rest = *content;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        const std::string_view line = TrimBlanks(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (line.starts_with('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup) continue;
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = TrimBlanks(line.substr(0, eq));
        const std::string_view value = TrimBlanks(line.substr(eq + 1));
        if (key == "Hidden" && value == "true") return std::nullopt;
        if (key == "Exec" && !command) command = Utf8ToUtf16(value);
    }
    return command;
}

}  // namespace

std::u16string AutostartEntryPath(std::u16string_view name) {
    return AutostartFolder() + u"/" + std::u16string(name) + u".desktop";
}

bool WriteAutostartEntry(std::u16string_view name, std::u16string_view command, std::u16string_view icon) {
    if (command.find_first_of(u"\r\n") != std::u16string_view::npos ||
        icon.find_first_of(u"\r\n") != std::u16string_view::npos) {
        QV_LOGE("refused an autostart command with a line break");
        return false;
    }
    if (!MakeFolderChain(NativePath(AutostartFolder()))) {
        QV_LOGE("cannot make the autostart folder: %s", std::strerror(errno));
        return false;
    }
    const std::string utf8Name = Utf16ToUtf8(name);
    std::string entry = "[Desktop Entry]\nType=Application\nName=" + utf8Name + "\nExec=" + Utf16ToUtf8(command) + "\n";
    if (!icon.empty()) entry += "Icon=" + Utf16ToUtf8(icon) + "\n";
    entry += "X-GNOME-Autostart-enabled=true\n";
    return ReplaceFileAtomically(NativePath(AutostartEntryPath(name)), entry);
}

std::optional<std::u16string> ReadAutostartCommand(std::u16string_view name) {
    return ReadEntryCommand(NativePath(AutostartEntryPath(name)));
}

bool DeleteAutostartEntry(std::u16string_view name) {
    return unlink(NativePath(AutostartEntryPath(name)).c_str()) == 0;
}

bool HasAutostartEntry(std::u16string_view name) {
    struct stat info {};
    return lstat(NativePath(AutostartEntryPath(name)).c_str(), &info) == 0;
}

std::optional<std::u16string> ReadSystemAutostartCommand(std::u16string_view name) {
    const std::string file = "/autostart/" + Utf16ToUtf8(name) + ".desktop";
    for (const std::string& folder : SystemConfigFolders()) {
        struct stat info {};
        if (stat((folder + file).c_str(), &info) == 0) return ReadEntryCommand(folder + file);
    }
    return std::nullopt;
}

}  // namespace qv::os
