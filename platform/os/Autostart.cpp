#include "platform/os/Autostart.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

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
    auto content = ReadWholeFile(NativePath(AutostartEntryPath(name)));
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

bool DeleteAutostartEntry(std::u16string_view name) {
    return unlink(NativePath(AutostartEntryPath(name)).c_str()) == 0;
}

}  // namespace qv::os
