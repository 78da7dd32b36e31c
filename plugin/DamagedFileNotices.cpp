#include "plugin/DamagedFileNotices.h"

#include <vector>

#include "platform/os/DamagedFile.h"
#include "platform/ui/IDisplayBackend.h"
#include "platform/ui/SMessageBox.h"

namespace {

std::vector<std::u16string> g_notices;

}  // namespace

void SetAsideIfDamaged(const std::u16string& file) {
    const std::optional<qv::os::SetAsideFile> aside = qv::os::SetAsideIfDamaged(file);
    if (!aside) return;
    g_notices.push_back(u"文件 " + file + u" 已损坏，无法读取。\n它已改名保存为 " + aside->renamedTo +
                        u"，程序使用默认设置。");
}

int TellAboutDamagedFiles() {
    std::vector<std::u16string> notices;
    notices.swap(g_notices);
    if (qv::ui::CanShowModalBoxes())
        for (const std::u16string& text : notices) qv::ui::SMessageBox(nullptr, text.c_str(), u"提示", MB_OK);
    return static_cast<int>(notices.size());
}
