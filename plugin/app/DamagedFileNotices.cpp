#include "plugin/app/DamagedFileNotices.h"

#include <vector>

#include "platform/os/DamagedFile.h"
#include "platform/os/Log.h"
#include "platform/os/Utf.h"
#include "platform/ui/IDisplayBackend.h"
#include "platform/ui/SMessageBox.h"

namespace {

std::vector<std::u16string> g_notices;

}  // namespace

void SetAsideIfDamaged(const std::u16string& file) {
    const std::optional<qv::os::SetAsideFile> aside = qv::os::SetAsideIfDamaged(file);
    if (!aside) return;
    g_notices.push_back(qv::os::DamagedFileNotice(file, aside->renamedTo));
}

int TellAboutDamagedFiles(HWND owner) {
    std::vector<std::u16string> notices;
    notices.swap(g_notices);
    // Logged here too: a file set aside before the log started is in it.
    for (const std::u16string& text : notices) QV_LOGE("%s", qv::os::Utf16ToUtf8(text).c_str());
    if (qv::ui::CanShowModalBoxes())
        for (const std::u16string& text : notices) qv::ui::SMessageBox(owner, text.c_str(), u"提示", MB_OK);
    return static_cast<int>(notices.size());
}
