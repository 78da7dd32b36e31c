#include "platform/ui/desktop/PosixShellService.h"

#include <sys/stat.h>

#include <atomic>
#include <string>
#include <vector>

#include "platform/os/Log.h"
#include "platform/os/Utf.h"
#include "platform/ui/desktop/CommandLine.h"
#include "platform/ui/desktop/Spawn.h"

namespace qv::desktop {
namespace {

std::atomic<IShellService*> g_replacement{nullptr};

bool LooksLikeUrl(const std::string& text) {
    const std::size_t scheme = text.find("://");
    return scheme != std::string::npos && scheme > 0 && text.find('/') > scheme;
}

}  // namespace

IShellService& ShellService() {
    if (IShellService* replacement = g_replacement.load()) return *replacement;
    static PosixShellService service;
    return service;
}

void SetShellService(IShellService* service) { g_replacement.store(service); }

BOOL PosixShellService::OpenDocument(std::u16string_view pathOrUrl) {
    const std::string target = os::Utf16ToUtf8(pathOrUrl);
    struct stat st {};
    if (!LooksLikeUrl(target) && stat(target.c_str(), &st) != 0) {
        QV_LOGE("no such document: %s", target.c_str());
        return FALSE;
    }
    const auto opener = FindExecutable("xdg-open");
    if (!opener) {
        QV_LOGE("xdg-open is not installed: cannot open %s", target.c_str());
        return FALSE;
    }
    return SpawnDetached({*opener, target}) ? TRUE : FALSE;
}

BOOL PosixShellService::StartProgram(std::u16string_view program, std::u16string_view parameters) {
    const std::string name = os::Utf16ToUtf8(program);
    const auto path = FindExecutable(name);
    if (!path) {
        QV_LOGE("not an executable program: %s", name.c_str());
        return FALSE;
    }
    std::vector<std::string> argv = {*path};
    for (const std::u16string& arg : SplitCommandLine(parameters)) argv.push_back(os::Utf16ToUtf8(arg));
    return SpawnDetached(argv) ? TRUE : FALSE;
}

}  // namespace qv::desktop
