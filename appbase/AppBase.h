#pragma once
// What every plug-in application keeps beside its client object: its
// folders, the machine's information, the autostart entry and the restart
// request.
#include <string>

#include "platform/os/Types.h"
#include "plugin/app/AppSysInfo.h"

class CAppBase {
public:
    // Finds the host folder and the app-data folder ("Quorvel", created when
    // missing; empty when it cannot be made) and the effect list's path.
    CAppBase();

    // Reads the machine's information and logs it with the skin's version
    // string ("@string/ver") when an application object exists.
    void GetSysInfo();
    const AppSysInfo& SysInfo() const { return m_sysInfo; }

    static BOOL SetAutoRun(int on);
    static BOOL IsAutoRun();

    // Ends the message loop; the host program is started again once the
    // plug-in has shut down.
    void Restart();
    bool IsRestartRequested() const { return m_restart != 0; }

    const std::u16string& HostFolder() const { return m_hostFolder; }
    const std::u16string& AppDataFolder() const { return m_appDataFolder; }
    const std::u16string& EffectListPath() const { return m_effectListPath; }

protected:
    // Starts the running program again as a new process; 1 when it started.
    static BOOL StartProgramAgain();

    int m_restart = 0;
    AppSysInfo m_sysInfo;
    HMODULE m_pluginModule = nullptr;
    std::u16string m_hostFolder;
    std::u16string m_appDataFolder;
    std::u16string m_effectListPath;
};
