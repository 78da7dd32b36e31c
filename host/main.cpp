#include <cstdlib>
#include <string>

#include "host/HostEntry.h"
#include "platform/os/Utf.h"
#include "platform/ui/IDisplayBackend.h"
#include "platform/ui/sdl/SdlDisplay.h"

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    // Real windows on the user's X display; without one the plug-ins' windows
    // stay offscreen.
    static qv::ui::sdl::SdlDisplay display;
    if (const char* x = std::getenv("DISPLAY"); x && *x) qv::ui::SetDisplayBackend(&display);
    return HostMain(qv::os::Utf8ToUtf16(commandLine));
}
