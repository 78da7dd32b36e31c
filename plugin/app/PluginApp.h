#pragma once
// What the plug-in's windows ask of the running application: CMainApp in the
// plug-in, a fake in tests. Used on the plug-in's UI thread.
#include <string>

#include "platform/os/Types.h"

class CSwitchWindowMgr;
class CWorkSpace;
class ICommDeviceMgmt;
class ISoundUploader;

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
    // The user's "Quorvel" data folder, without a final '/'; empty when it
    // could not be made.
    virtual const std::u16string& AppDataFolder() const = 0;
    // The host's module, which carries the skin and its sounds.
    virtual HMODULE GetHostInstance() = 0;
    // The window the sound pads' global hotkeys are registered on (the
    // hidden main window); null while there is none.
    virtual HWND GetHotKeyWindow() = 0;
    // 1 while a sound is being sent to the card; the program may not end then.
    virtual int IsUploadBusy() const = 0;
    virtual void SetUploadBusy(int busy) = 0;
    // The upload into the card's sound keys; null for a family without them.
    virtual ISoundUploader* SoundUploader() = 0;
    // The main window went and takes the run with it: the host is let go and
    // the card session closed (once per run), and the message loop ends.
    virtual void EndRun() = 0;

protected:
    ~IPluginApp() = default;
};

// The running application, or null.
IPluginApp* CurrentPluginApp();
void SetCurrentPluginApp(IPluginApp* app);
