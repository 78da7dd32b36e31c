#pragma once
// Opening a document with the desktop's preferred application, and starting
// a program, in the way the program's pages ask the shell to. Both return at
// once: the started program runs on its own and is not waited for.
#include <string_view>

#include "platform/os/Types.h"

namespace qv::desktop {

class IShellService {
public:
    virtual ~IShellService() = default;
    // A file path or a URL; FALSE when a file does not exist or no opener
    // could be started.
    virtual BOOL OpenDocument(std::u16string_view pathOrUrl) = 0;
    // parameters is one command line, split as Windows splits it (blanks
    // separate, double quotes group). FALSE when the program is not an
    // executable file (a bare name is looked up in PATH).
    virtual BOOL StartProgram(std::u16string_view program, std::u16string_view parameters) = 0;
};

// The service in use: xdg-open and posix_spawn unless a test installed another.
IShellService& ShellService();
// Installs a replacement (not owned); null restores the default.
void SetShellService(IShellService* service);

}  // namespace qv::desktop
