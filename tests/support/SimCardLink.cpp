#include "tests/support/SimCardLink.h"

#include <cstdio>

#include "platform/os/MessageQueue.h"
#include "platform/os/Utf.h"
#include "tests/support/FakeDevice.h"

namespace qv::test {

// The card as the manager's device: writes go to the card (and fail while
// it is pulled), its reports come in through the link.
class SimCardLink::Device final : public FakeDevice {
public:
    Device(SimCardLink& link, std::u16string path) : FakeDevice(std::move(path)), m_link(link) {}
    ~Device() override {
        std::lock_guard<std::mutex> guard(m_link.m_mutex);
        if (m_link.m_device == this) m_link.m_device = nullptr;
    }
    BOOL Write(const std::uint8_t* data, int length) override {
        if (!IsOpen()) return FALSE;
        return m_link.m_card.ReceiveWrite(data, length) ? TRUE : FALSE;
    }

private:
    SimCardLink& m_link;
};

SimCardLink::SimCardLink(SimCard& card) : m_card(card), m_thread(qv::os::GetCurrentThreadId()) {
    m_card.SetReportSink([this](const std::uint8_t* payload, int length) {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (m_device) m_device->PushReport(payload, length);
    });
    m_card.SetPlugHandler([this](bool plugged, std::uint16_t productId) { OnPlug(plugged, productId); });
}

SimCardLink::~SimCardLink() {
    m_card.SetPlugHandler(nullptr);
    m_card.SetReportSink(nullptr);
    m_manager.Disconnect();
    m_alive.reset();
}

std::u16string SimCardLink::CardPath(std::uint16_t productId) {
    char path[96];
    std::snprintf(path, sizeof path, "\\\\?\\hid#VID_%04X&PID_%04X#7&1a2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
                  SimCard::kVendorId, productId);
    return qv::os::Utf8ToUtf16(path);
}

int SimCardLink::ConnectDevice() {
    ++m_connectCalls;
    if (m_connectHook) m_connectHook(m_connectCalls);
    if (!m_card.IsPlugged()) return 0;
    return Connect(m_card.ProductId()) ? 1 : 0;
}

bool SimCardLink::Connect(std::uint16_t productId) {
    if (!m_protocol) return false;
    auto* device = new Device(*this, CardPath(productId));
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_device = device;
    }
    // The manager owns the device from here on, connected or not.
    return m_manager.Connect(device, m_protocol) != FALSE;
}

// Any thread (the card's restart runs on its own, or inside a write): the
// host learns of the change on its UI thread, later.
void SimCardLink::OnPlug(bool plugged, std::uint16_t productId) {
    std::weak_ptr<bool> alive = m_alive;
    qv::os::PostTask(m_thread, [this, alive, plugged, productId] {
        if (alive.expired()) return;
        const std::u16string path = CardPath(productId);
        if (!plugged) {
            ICommunicateDevice* device = m_manager.GetDevice();
            if (!m_manager.IsConnected() || !device || !qv::os::EqualsNoCase(device->GetDevicePath(), path)) return;
            m_manager.Disconnect();
        } else if (m_manager.IsConnected() || !Connect(productId)) {
            return;
        }
        if (m_pnp) m_pnp(plugged ? 0 : 1, path.c_str());
    });
}

}  // namespace qv::test
