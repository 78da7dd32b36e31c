#include "appbase/AppBase.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <string>

#include "platform/os/Folders.h"
#include "platform/os/Log.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Path.h"
#include "platform/ui/SApplication.h"
#include "plugin/app/AutoRun.h"
#include "plugin/workspace/AppPaths.h"

extern char** environ;

CAppBase::CAppBase() : m_hostFolder(qv::os::ExecutableFolder()) {
    if (auto folder = qv::os::MakeAppDataFolder(u"Quorvel")) m_appDataFolder = *folder;
    m_effectListPath = ::EffectListPath(m_appDataFolder, m_hostFolder);
}

void CAppBase::GetSysInfo() {
    std::u16string version;
    if (qv::ui::SApplication* app = qv::ui::SApplication::getSingletonPtr()) {
        if (auto text = app->GetString(u"@string/ver")) version = text->str();
    }
    m_sysInfo = ::GetSysInfo(version);
}

BOOL CAppBase::SetAutoRun(int on) { return ::SetAutoRun(on); }

BOOL CAppBase::IsAutoRun() { return ::IsAutoRun(); }

void CAppBase::Restart() {
    m_restart = 1;
    qv::os::PostQuitMessage(0);
}

BOOL CAppBase::StartProgramAgain() {
    std::string program = qv::os::NativePath(qv::os::ExecutablePath());
    char* argv[] = {program.data(), nullptr};
    pid_t child = 0;
    const int error = posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ);
    if (error != 0) {
        QV_LOGE("cannot start %s: %s", program.c_str(), std::strerror(error));
        return 0;
    }
    return 1;
}
