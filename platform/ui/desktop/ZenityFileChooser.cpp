#include "platform/ui/desktop/ZenityFileChooser.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/os/Log.h"
#include "platform/os/Utf.h"
#include "platform/ui/desktop/ModalWait.h"
#include "platform/ui/desktop/Spawn.h"

namespace qv::desktop {

std::vector<std::string> ZenityArguments(const FileDialogOptions& options, bool save) {
    std::vector<std::string> args = {"zenity", "--file-selection"};
    if (!options.title.empty()) args.push_back("--title=" + os::Utf16ToUtf8(options.title));
    if (save) {
        args.push_back("--save");
        if (options.overwritePrompt) args.push_back("--confirm-overwrite");
    }
    // --filename takes a folder with a trailing '/', or a folder and a name.
    std::string start = os::Utf16ToUtf8(options.initialFolder);
    if (!start.empty() && start.back() != '/') start += '/';
    start += os::Utf16ToUtf8(options.initialName);
    if (!start.empty()) args.push_back("--filename=" + start);
    for (const FileFilter& filter : options.filters) {
        // zenity splits a filter at '|': keep the name free of it.
        std::string name = os::Utf16ToUtf8(filter.name);
        for (char& c : name)
            if (c == '|') c = '/';
        std::string text = name + " |";
        for (const std::u16string& pattern : filter.patterns) text += " " + os::Utf16ToUtf8(pattern);
        args.push_back("--file-filter=" + text);
    }
    return args;
}

FileChooserResult RunZenityFileChooser(const FileDialogOptions& options, bool save) {
    const auto zenity = FindExecutable("zenity");
    if (!zenity) return {FileChooserResult::Unavailable, {}};
    std::vector<std::string> args = ZenityArguments(options, save);
    args[0] = *zenity;
    int out = -1;
    const auto pid = SpawnWithOutput(args, &out);
    if (!pid) return {FileChooserResult::Unavailable, {}};

    std::string output;
    const bool finished = PumpUntil(out, [&] {
        char buffer[4096];
        const ssize_t n = read(out, buffer, sizeof buffer);
        if (n > 0) output.append(buffer, static_cast<std::size_t>(n));
        return n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN);
    });
    close(out);
    if (!finished) kill(*pid, SIGTERM);  // the program is quitting: close our own dialog
    int status = 0;
    while (waitpid(*pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!finished) return {FileChooserResult::Cancelled, {}};
    if (!WIFEXITED(status)) return {FileChooserResult::Unavailable, {}};
    switch (WEXITSTATUS(status)) {
    case 0:
        while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
        return {FileChooserResult::Chosen, os::Utf8ToUtf16(output)};
    case 1:
        return {FileChooserResult::Cancelled, {}};
    default:
        QV_LOGE("zenity failed with status %d", WEXITSTATUS(status));
        return {FileChooserResult::Unavailable, {}};
    }
}

}  // namespace qv::desktop
