#pragma once
// A plug-in UI thread with a main window, a notify centre and a workspace
// whose device manager talks to the simulated card through the fake device.
// The tick clock is stepped by hand; the card's notifications arrive through
// the receive thread.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "common/device/DeviceManager.h"
#include "platform/os/Tick.h"
#include "platform/ui/SApplication.h"
#include "platform/ui/SHostWnd.h"
#include "platform/ui/SNotifyCenter.h"
#include "plugin/pages/ParamControlBinder.h"
#include "plugin/workspace/SettingsStateStore.h"
#include "plugin/workspace/SettingsStore.h"
#include "plugin/workspace/WorkSpace.h"
#include "plugin/workspace/WorkSpaceParams.h"
#include "tests/support/FakeDevice.h"
#include "tests/support/SimCard.h"

namespace qv::test {

class StepClock : public qv::os::IClock {
public:
    std::uint64_t NowMs() override { return m_now.load(); }
    void Step(std::uint64_t ms);

private:
    std::atomic<std::uint64_t> m_now{5000000};
};

// The main window: its timer 1000 goes to the workspace's throttle and its
// control events to the binder, as the effect page does it.
class RigMainWnd : public qv::ui::SHostWnd {
public:
    CWorkSpaceParams* params = nullptr;
    CParamControlBinder* binder = nullptr;
    BOOL _HandleEvent(qv::ui::EventArgs* e) override { return binder && binder->OnEvent(e); }
    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;
};

// A stand-in for the binder: records what the workspace shows.
class RecordingDisplay : public IParamDisplay {
public:
    std::vector<std::pair<int, int>> shown;
    bool ShowsParam(std::int32_t) const override { return true; }
    void ShowParam(std::int32_t id, std::int32_t value) override { shown.emplace_back(id, value); }
};

class WorkSpaceRig {
public:
    // layoutRoot: the XML inside the main window's root element.
    explicit WorkSpaceRig(const char* layoutRoot = "");
    ~WorkSpaceRig();

    // Builds a workspace with its parameter model over the state file and
    // connects it to the card.
    void StartWorkspace();
    // Disconnects and drops the workspace (the state file stays).
    void StopWorkspace();

    void Pump();
    // Pumps until the condition holds or 5 s have passed.
    bool PumpUntil(const std::function<bool()>& done);
    void Step(std::uint64_t ms);

    CParamModel& Model() { return workspace->Params()->Model(); }
    // Every 0x94 frame the card took, with the clock at its arrival.
    std::vector<std::pair<std::uint64_t, SimCard::Frame>> ParamFrames();

    StepClock clock;
    std::unique_ptr<qv::ui::SApplication> app;
    std::unique_ptr<qv::ui::SNotifyCenter> center;
    RigMainWnd mainWnd;
    SimCard card;
    CSettingsStore settings;
    std::unique_ptr<CSettingsStateStore> stateStore;
    std::unique_ptr<CDeviceManager> manager;
    std::unique_ptr<CWorkSpace> workspace;
    std::vector<std::vector<std::pair<std::int32_t, std::int32_t>>> paramEvents;

private:
    bool OnParamChanged(qv::ui::EventArgs* e);

    std::filesystem::path m_dir;
    std::mutex m_mutex;
    std::vector<std::pair<std::uint64_t, SimCard::Frame>> m_paramFrames;
};

}  // namespace qv::test
