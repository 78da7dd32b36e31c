#include "host/PluginRun.h"

#include "host/AppInterfaces.h"
#include "host/PluginLibrary.h"
#include "platform/os/Log.h"
#include "platform/os/Utf.h"

namespace {

int RunClient(IAppClient* client, const std::u16string& commandLine,
              const std::function<void()>& clientDone, std::string& notStarted) {
    if (!client->Init()) {
        notStarted = "初始化失败";
        QV_LOGE("plug-in client failed to initialise");
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
              const std::u16string& commandLine, const std::function<void()>& clientDone,
              std::string* notStarted) {
    std::string why;
    int result = 1;
    void* library = loader.Load(libraryPath);
    if (!library) {
        why = "无法载入（文件缺失或已损坏）";
    } else if (auto getClient = reinterpret_cast<GetClientFn>(loader.Resolve(library, kGetClientExport)); !getClient) {
        why = std::string("缺少入口 ") + kGetClientExport;
    } else if (IAppClient* client = getClient(host)) {
        result = RunClient(client, commandLine, clientDone, why);
    } else {
        why = "没有返回客户端对象";
    }
    if (library) loader.Free(library);
    if (!why.empty()) QV_LOGE("%s: %s", qv::os::Utf16ToUtf8(libraryPath).c_str(), why.c_str());
    if (notStarted) *notStarted = why;
    return result;
}
