#include "plugin/app/UserManual.h"

#include <sys/stat.h>

#include <string>

#include "platform/os/Path.h"
#include "platform/ui/desktop/ShellService.h"

BOOL OpenUserManual(std::u16string_view programFolder, std::u16string_view manualFile) {
    const std::u16string path = std::u16string(programFolder) + std::u16string(manualFile);
    struct stat st {};
    if (::stat(qv::os::NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return FALSE;
    return qv::desktop::ShellService().OpenDocument(path);
}
