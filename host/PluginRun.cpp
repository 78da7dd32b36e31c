#include "host/PluginRun.h"

#include "host/AppInterfaces.h"
#include "host/PluginLibrary.h"
#include "platform/os/Log.h"
#include "platform/os/Utf.h"

namespace {

int RunClient(IAppClient* client, const std::u16string& commandLine,
              const std::function<void()>& clientDone) {
    if (!client->Init()) {
        QV_LOGE("plug-in client failed to initialise");
        qv::os::TellUser("quorvel: the card's plug-in could not start");
        if (clientDone) clientDone();
        return 1;
    }
    const int result = client->Run(commandLine.c_str());
    if (clientDone) clientDone();
    client->Uninit();
    return result;
}

}  // namespace

int RunPlugin(IPluginLibraryLoader& loader, const std::u16string& libraryPath, IAppHost* host,
              const std::u16string& commandLine, const std::function<void()>& clientDone) {
    void* library = loader.Load(libraryPath);
    if (!library) {
        QV_LOGE("cannot load %s", qv::os::Utf16ToUtf8(libraryPath).c_str());
        qv::os::TellUser("quorvel: cannot load the plug-in %s: reinstall the program",
                         qv::os::Utf16ToUtf8(libraryPath).c_str());
        return 1;
    }
    int result = 1;
    auto getClient = reinterpret_cast<GetClientFn>(loader.Resolve(library, kGetClientExport));
    if (!getClient) {
        QV_LOGE("%s has no export %s", qv::os::Utf16ToUtf8(libraryPath).c_str(),
                kGetClientExport);
        qv::os::TellUser("quorvel: %s is not a plug-in of this program: reinstall the program",
                         qv::os::Utf16ToUtf8(libraryPath).c_str());
    } else if (IAppClient* client = getClient(host)) {
        result = RunClient(client, commandLine, clientDone);
    } else {
        QV_LOGE("%s returned no client", qv::os::Utf16ToUtf8(libraryPath).c_str());
        qv::os::TellUser("quorvel: the plug-in %s could not start", qv::os::Utf16ToUtf8(libraryPath).c_str());
    }
    loader.Free(library);
    return result;
}
