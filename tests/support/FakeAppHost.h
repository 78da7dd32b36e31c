#pragma once
// The host as a plug-in's client sees it: a fake device manager that a card
// path connects, and counts of the calls the client makes.
#include <atomic>
#include <string>

#include "host/AppInterfaces.h"
#include "tests/support/FakeDeviceMgmt.h"

namespace qv::test {

class FakeAppHost final : public IAppHost {
public:
    static constexpr const char16_t* kNormalCardPath = u"\\\\?\\hid#vid_2b53&pid_0036#7&1";

    void AttachClient(IAppClient* client) override { attached.store(client); }
    void DetachClient() override { ++detaches; }
    HMODULE GetHostInstance() override { return hostModule; }
    ICommDeviceMgmt* GetDeviceMgmt() override { return &manager; }
    int ConnectDevice(IAppClient* client) override {
        ++connects;
        if (!cardPresent) return 0;
        manager.SetDevicePath(cardPath);
        return manager.Connect(nullptr, client->GetProtocol());
    }
    void ReleaseInstanceGuard() override {}

    // Requests of the card session flag (0x90) with the given value.
    int SessionFlags(std::uint8_t value) const {
        int count = 0;
        for (const auto& request : manager.Requests()) count += request.frame[0] == 0x90 && request.frame[4] == value;
        return count;
    }

    FakeDeviceMgmt manager;
    HMODULE hostModule = nullptr;  // the executable's resources
    bool cardPresent = true;
    std::u16string cardPath = kNormalCardPath;
    std::atomic<IAppClient*> attached{nullptr};
    std::atomic<int> detaches{0};
    int connects = 0;
};

}  // namespace qv::test
