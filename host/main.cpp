#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/HostEntry.h"
#include "host/HostNames.h"
#include "platform/os/Folders.h"
#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/os/Utf.h"
#include "platform/ui/IDisplayBackend.h"
#include "platform/ui/sdl/SdlDisplay.h"

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    // Traces, and log lines no log manager takes, go to a file beside the
    // plug-ins' logs: the terminal only tells what the user must act on.
    const std::string logFolder = qv::os::NativePath(qv::os::UserStateFolder() + u"/" + kAppDataName + u"/log");
    if (!qv::os::MakeFolderChain(logFolder) || !qv::os::SetDebugOutputFile(logFolder + "/debug.log"))
        std::fprintf(stderr, "quorvel: no log file in %s: traces go here\n", qv::os::EscapeControls(logFolder).c_str());
    // Real windows on the user's X display; without one the plug-ins' windows
    // stay offscreen.
    static qv::ui::sdl::SdlDisplay display;
    if (const char* x = std::getenv("DISPLAY"); x && *x) qv::ui::SetDisplayBackend(&display);
    return HostMain(qv::os::Utf8ToUtf16(commandLine));
}
