#include "plugin/app/Updater.h"

#include <filesystem>
#include <system_error>

#include "platform/os/Folders.h"
#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/ui/SStringW.h"
#include "platform/ui/desktop/ShellService.h"

namespace {

namespace fs = std::filesystem;

constexpr const char16_t* kUpdaterFile = u"/upgrade";
constexpr const char16_t* kProductName = u"Quorvel";
constexpr const char16_t* kWindowClass = u"{217984E9-C0EC-44B9-BF57-0800EC42972D}";
constexpr const char16_t* kMainInstanceName = u"Quorvel_MAIN";
constexpr int kUpdaterMode = 3;

bool CopyKeepingMode(const fs::path& source, const fs::path& target) {
    std::error_code error;
    fs::remove(target, error);
    if (!fs::copy_file(source, target, fs::copy_options::overwrite_existing, error)) {
        QV_LOGE("cannot copy %s to %s: %s", source.c_str(), target.c_str(), error.message().c_str());
        return false;
    }
    fs::permissions(target, fs::status(source).permissions(), error);
    if (error) {
        QV_LOGE("cannot give %s the updater's mode: %s", target.c_str(), error.message().c_str());
        return false;
    }
    return true;
}

}  // namespace

std::u16string UpdaterCopyPath() {
    return qv::ui::SStringW::Format(u"%s%s_upgrade", qv::os::TempFolder().c_str(), kProductName).str();
}

UpdaterStart StartUpdater(std::u16string_view programFolder, std::u16string_view version) {
    const std::u16string target = UpdaterCopyPath();
    const fs::path source = qv::os::NativePath(std::u16string(programFolder) + kUpdaterFile);
    std::error_code error;
    if (!fs::is_regular_file(source, error)) {
        QV_LOGE("no updater at %s", source.c_str());
        return UpdaterStart::kMissing;
    }
    if (!CopyKeepingMode(source, qv::os::NativePath(target))) return UpdaterStart::kCopyFailed;
    const std::u16string versionText(version);
    const qv::ui::SStringW parameters = qv::ui::SStringW::Format(u"%s %d %s %s %s", versionText.c_str(), kUpdaterMode,
                                                                 kProductName, kWindowClass, kMainInstanceName);
    if (!qv::desktop::ShellService().StartProgram(target, parameters.str())) {
        QV_LOGE("the updater did not start");
        return UpdaterStart::kStartFailed;
    }
    return UpdaterStart::kStarted;
}
