#pragma once
// The plug-in boundary: what the host offers a plug-in (IAppHost), what a
// plug-in offers the host (IAppClient) and the host's receiver of card
// arrival and removal. Both sides include this header. Only interfaces,
// integers, handles, byte buffers and zero-terminated UTF-16 strings cross
// it, and no exception does.
#include <cstdint>

#include "platform/os/Types.h"

class ICommDeviceMgmt;
class ICommProtocol;
class IAppClient;

// Four-character model codes, first letter in the high byte.
constexpr std::uint32_t MakeModelCode(char a, char b, char c, char d) {
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(a)) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d));
}
constexpr std::uint32_t kModelZenk = MakeModelCode('z', 'e', 'n', 'k');
constexpr std::uint32_t kModelDorbII = MakeModelCode('d', 'r', 'I', 'I');
static_assert(kModelZenk == 0x7A656E6Bu && kModelDorbII == 0x64724949u);

// Called by the plug-in on its own thread.
class IAppHost {
public:
    virtual ~IAppHost() = default;
    virtual void AttachClient(IAppClient* client) = 0;
    virtual void DetachClient() = 0;
    virtual HMODULE GetHostInstance() = 0;
    virtual ICommDeviceMgmt* GetDeviceMgmt() = 0;
    // Non-zero when a card of the client's model (or one in update mode)
    // was connected.
    virtual int ConnectDevice(IAppClient* client) = 0;
    // Lets go of the single-instance guard before the plug-in starts the
    // host again (restart); otherwise it is held until the process ends.
    virtual void ReleaseInstanceGuard() = 0;
};

class IAppClient {
public:
    virtual ~IAppClient() = default;
    virtual BOOL Init() = 0;
    virtual int Run(const char16_t* commandLine) = 0;
    // Ends the client; it deletes itself here.
    virtual void Uninit() = 0;
    virtual void OnDevicePnp(int removed, const char16_t* path) = 0;
    virtual ICommProtocol* GetProtocol() = 0;
    virtual HMODULE GetInstance() = 0;
    virtual std::uint32_t GetModelId() = 0;
    // Ends the plug-in's message loop; called on the plug-in thread.
    virtual void Quit() = 0;
};

// One slot only: it is never deleted through this interface.
class IDevicePnpNotificationReceiver {
public:
    // removed: 0 arrival, 1 removal.
    virtual void OnPnpNotification(int removed, const char16_t* path) = 0;

protected:
    ~IDevicePnpNotificationReceiver() = default;
};

// The one export of a plug-in library.
constexpr const char* kGetClientExport = "GetClient";
using GetClientFn = IAppClient* (*)(IAppHost* host);
