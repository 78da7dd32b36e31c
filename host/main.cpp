#include <string>

#include "host/HostEntry.h"
#include "platform/os/Utf.h"

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return HostMain(qv::os::Utf8ToUtf16(commandLine));
}
