#pragma once
// Stand-ins for the device manager, devices, plug-in clients and the card
// search, for testing the host's logic without hardware or processes.
#include <gmock/gmock.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/device/ICommDeviceMgmt.h"
#include "common/device/ICommunicateDevice.h"
#include "host/AppInterfaces.h"
#include "host/DeviceSource.h"

class FakeDevice : public ICommunicateDevice {
public:
    FakeDevice(std::u16string path, bool opens, int* liveCount)
        : m_path(std::move(path)), m_opens(opens), m_liveCount(liveCount) {
        if (m_liveCount) ++*m_liveCount;
    }
    ~FakeDevice() override {
        if (m_liveCount) --*m_liveCount;
    }
    BOOL IsOpen() override { return m_open; }
    BOOL OpenDevice() override { return m_open = m_opens; }
    void CloseDevice() override { m_open = false; }
    BOOL Write(const std::uint8_t*, int) override { return m_open; }
    BOOL Read(std::uint8_t**, std::uint32_t) override { return 0; }
    BOOL CancelRead() override { return 1; }
    int GetInputReportLength() override { return 41; }
    int GetOutputReportLength() override { return 41; }
    const char16_t* GetDevicePath() override { return m_path.c_str(); }

private:
    std::u16string m_path;
    bool m_opens;
    int* m_liveCount;
    BOOL m_open = 0;
};

// Owns the device it is given, as the real manager does.
class FakeManager : public ICommDeviceMgmt {
public:
    BOOL IsConnected() override { return m_device && m_device->IsOpen(); }
    BOOL Connect(ICommunicateDevice* device, ICommProtocol* protocol) override {
        ++connects;
        if (!device) return 0;
        m_device.reset(device);
        lastProtocol = protocol;
        return m_device->OpenDevice();
    }
    void Disconnect() override {
        ++disconnects;
        if (m_device) m_device->CloseDevice();
        m_device.reset();
    }
    BOOL SendAndReceive(std::uint8_t*, std::uint8_t*, int, int) override { return 0; }
    BOOL SendNotReceive(std::uint8_t*) override { return 0; }
    void RecvThreadProc() override {}
    ICommunicateDevice* GetDevice() override { return m_device.get(); }

    int connects = 0;
    int disconnects = 0;
    ICommProtocol* lastProtocol = nullptr;

private:
    std::unique_ptr<ICommunicateDevice> m_device;
};

class FakeDeviceSource : public IDeviceSource {
public:
    std::vector<std::u16string> FindCards(const DeviceRow& row, int maxPaths) override {
        std::vector<std::u16string> found;
        for (const auto& path : cards[row.productId]) {
            if (static_cast<int>(found.size()) < maxPaths) found.push_back(path);
        }
        return found;
    }
    ICommunicateDevice* CreateDevice(const std::u16string& path) override {
        created.push_back(path);
        return new FakeDevice(path, opens, &liveDevices);
    }

    std::map<std::uint16_t, std::vector<std::u16string>> cards;
    std::vector<std::u16string> created;
    bool opens = true;
    int liveDevices = 0;
};

class MockClient : public IAppClient {
public:
    MOCK_METHOD(BOOL, Init, (), (override));
    MOCK_METHOD(int, Run, (const char16_t*), (override));
    MOCK_METHOD(void, Uninit, (), (override));
    MOCK_METHOD(void, OnDevicePnp, (int, const char16_t*), (override));
    MOCK_METHOD(ICommProtocol*, GetProtocol, (), (override));
    MOCK_METHOD(HMODULE, GetInstance, (), (override));
    MOCK_METHOD(std::uint32_t, GetModelId, (), (override));
    MOCK_METHOD(void, Quit, (), (override));
};

// Matches a zero-terminated UTF-16 argument against a text.
MATCHER_P(U16Eq, expected, "") {
    return arg != nullptr && std::u16string(arg) == std::u16string(expected);
}
