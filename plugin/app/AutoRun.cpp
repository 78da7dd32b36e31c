#include "plugin/app/AutoRun.h"

#include "platform/os/Autostart.h"
#include "platform/os/Folders.h"
#include "platform/os/Log.h"
#include "platform/os/Utf.h"

namespace {

constexpr std::u16string_view kEntryName = u"Quorvel";
// The icon the desktop install puts into the icon theme.
constexpr std::u16string_view kIconName = u"quorvel";

bool IsQuotedSpecial(char16_t c) { return c == u'"' || c == u'`' || c == u'$' || c == u'\\'; }

// Undoes the escapes of an entry's string value ("\\", "\s", "\n", "\t", "\r").
std::u16string UnescapeStringValue(std::u16string_view value) {
    std::u16string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            text.push_back(value[i]);
            continue;
        }
        switch (value[++i]) {
            case u's': text.push_back(u' '); break;
            case u'n': text.push_back(u'\n'); break;
            case u't': text.push_back(u'\t'); break;
            case u'r': text.push_back(u'\r'); break;
            case u'\\': text.push_back(u'\\'); break;
            default:
                text.push_back(u'\\');
                text.push_back(value[i]);
        }
    }
    return text;
}

// Undoes the escapes inside a quoted argument and the doubled '%'.
std::u16string UnescapeArgument(std::u16string_view quoted) {
    std::u16string text;
    for (std::size_t i = 0; i < quoted.size(); ++i) {
        if (quoted[i] == u'\\' && i + 1 < quoted.size() && IsQuotedSpecial(quoted[i + 1])) ++i;
        else if (quoted[i] == u'%' && i + 1 < quoted.size() && quoted[i + 1] == u'%') ++i;
        text.push_back(quoted[i]);
    }
    return text;
}

}  // namespace

std::u16string AutoRunCommand(std::u16string_view program) {
    // Inside the quotes '"', '`', '$' and '\' take a backslash and '%' is
    // doubled; then every backslash is doubled once more for the string value.
    std::u16string command = u"\"";
    for (char16_t c : program) {
        if (c == u'\\') {
            command += u"\\\\\\\\";
        } else if (IsQuotedSpecial(c)) {
            command += u"\\\\";
            command.push_back(c);
        } else if (c == u'%') {
            command += u"%%";
        } else {
            command.push_back(c);
        }
    }
    command.push_back(u'"');
    return command;
}

bool AutoRunCommandNames(std::u16string_view command, std::u16string_view program) {
    const std::u16string text = UnescapeStringValue(command);
    std::u16string_view named = text;
    const auto first = named.find(u'"');
    if (first != std::u16string_view::npos) {
        const auto last = named.rfind(u'"');
        named = named.substr(first + 1, last > first ? last - first - 1 : 0);
    }
    return qv::os::EqualsNoCase(UnescapeArgument(named), program);
}

BOOL SetAutoRunFor(std::u16string_view program, int on) {
    if (!on) return qv::os::DeleteAutostartEntry(kEntryName) ? 1 : 0;
    if (program.empty()) {
        QV_LOGE("the program's path is unknown");
        return 0;
    }
    if (!qv::os::WriteAutostartEntry(kEntryName, AutoRunCommand(program), kIconName)) {
        QV_LOGE("cannot write the autostart entry");
        return 0;
    }
    return 1;
}

BOOL IsAutoRunFor(std::u16string_view program) {
    if (program.empty()) return 0;
    const auto command = qv::os::ReadAutostartCommand(kEntryName);
    if (command && AutoRunCommandNames(*command, program)) return 1;
    // The machine-wide entry counts only where no user entry replaces it.
    if (qv::os::HasAutostartEntry(kEntryName)) return 0;
    const auto machineWide = qv::os::ReadSystemAutostartCommand(kEntryName);
    return machineWide && AutoRunCommandNames(*machineWide, program) ? 1 : 0;
}

BOOL SetAutoRun(int on) { return SetAutoRunFor(qv::os::ExecutablePath(), on); }

BOOL IsAutoRun() { return IsAutoRunFor(qv::os::ExecutablePath()); }
