#pragma once
// What the plug-in's windows ask of the running application: CMainApp in the
// plug-in, a fake in tests. Used on the plug-in's UI thread.
#include <string>

#include "platform/os/Types.h"

class CSwitchWindowMgr;
class CWorkSpace;
class ICommDeviceMgmt;

class IPluginApp {
public:
    virtual CSwitchWindowMgr& SwitchWindows() = 0;
    // Null before Init created it.
    virtual CWorkSpace* GetWorkSpace() = 0;
    virtual ICommDeviceMgmt* GetDeviceMgmt() = 0;
    // Asks the host to look for the card again and connect it; non-zero
    // when one was connected.
    virtual int ConnectDevice() = 0;
    // The plug-in's own module, which carries its resources.
    virtual HMODULE GetInstance() = 0;
    // The program's folder, without a final '/'.
    virtual const std::u16string& ProgramFolder() const = 0;
    // 1 while a sound is being sent to the card; the program may not end then.
    virtual int IsUploadBusy() const = 0;
    // The main window went and takes the run with it: the host is let go and
    // the card session closed (once per run), and the message loop ends.
    virtual void EndRun() = 0;

protected:
    ~IPluginApp() = default;
};

// The running application, or null.
IPluginApp* CurrentPluginApp();
void SetCurrentPluginApp(IPluginApp* app);
