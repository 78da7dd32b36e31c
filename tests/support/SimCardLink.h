#pragma once
// The host's side of the simulated card for in-process tests: a real device
// manager whose device is the card, connected on request as the host's
// ConnectDevice does (under the card's product id of the moment), and the
// host's handling of arrivals and removals, run on the thread that created
// the link (the UI thread): a removal of the connected card disconnects it,
// an arrival connects the card when none is, and both are then reported.
//
// The card must outlive the link. Writes fail while the card is pulled.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "common/device/DeviceManager.h"
#include "platform/os/Types.h"
#include "tests/support/SimCard.h"

class ICommProtocol;

namespace qv::test {

class SimCardLink {
public:
    // Reported after the link handled an arrival (removed 0) or removal (1).
    using PnpHandler = std::function<void(int removed, const char16_t* path)>;

    explicit SimCardLink(SimCard& card);
    ~SimCardLink();
    SimCardLink(const SimCardLink&) = delete;
    SimCardLink& operator=(const SimCardLink&) = delete;

    CDeviceManager& Manager() { return m_manager; }
    // The protocol the link connects the card to (on ConnectDevice and arrivals).
    void SetProtocol(ICommProtocol* protocol) { m_protocol = protocol; }
    void SetPnpHandler(PnpHandler handler) { m_pnp = std::move(handler); }
    // Runs first in every ConnectDevice with the call's number (1, 2, ...):
    // a test may plug the card there.
    void SetConnectHook(std::function<void(int call)> hook) { m_connectHook = std::move(hook); }

    // The host's ConnectDevice: connects the card when it is plugged in;
    // non-zero on success.
    int ConnectDevice();
    int ConnectCalls() const { return m_connectCalls; }

    // The interface path of the card under a product id.
    static std::u16string CardPath(std::uint16_t productId);

private:
    class Device;
    bool Connect(std::uint16_t productId);
    void OnPlug(bool plugged, std::uint16_t productId);

    SimCard& m_card;
    CDeviceManager m_manager;
    ICommProtocol* m_protocol = nullptr;
    PnpHandler m_pnp;
    std::function<void(int)> m_connectHook;
    int m_connectCalls = 0;
    DWORD m_thread;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);  // checked by posted plug tasks

    std::mutex m_mutex;  // guards m_device; taken inside the card's report sink
    Device* m_device = nullptr;
};

}  // namespace qv::test
