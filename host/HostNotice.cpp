#include "host/HostNotice.h"

#include <cstdio>

#include "platform/os/Folders.h"
#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Path.h"
#include "platform/os/Utf.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SLogManager.h"
#include "platform/ui/SMessageBox.h"

namespace {

// The plug-ins' log: the same folder and logger.
void WriteToLog(const std::string& text) {
    qv::ui::SLogManager log;
    log.CreateLogger("main");
    log.SetLogFolder(qv::os::NativePath(qv::os::UserStateFolder() + u"/Quorvel/log"));
    log.Start();
    QV_LOGE("%s", text.c_str());
    log.Stop();
}

void ShowBox(const std::u16string& text) {
    if (!qv::ui::CanShowModalBoxes() || qv::ui::SApplication::getSingletonPtr()) return;
    qv::os::EnsureThreadQueue();
    qv::ui::SApplication app(nullptr, u"QuorvelHostNotice");
    if (!app.AddResProvider(nullptr, u"UIDEF:XML_INIT")) {
        QV_LOGE("no skin for the message box");
        return;
    }
    qv::ui::SMessageBox(nullptr, text.c_str(), u"提示", MB_OK);
}

}  // namespace

void TellUser(const std::u16string& text) {
    const std::string narrow = qv::os::Utf16ToUtf8(text);
    std::fprintf(stderr, "quorvel: %s\n", narrow.c_str());
    WriteToLog(narrow);
    ShowBox(text);
}
