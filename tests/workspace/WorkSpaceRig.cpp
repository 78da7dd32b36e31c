#include "tests/workspace/WorkSpaceRig.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "controls/PluginControls.h"
#include "families/FamilyData.h"
#include "platform/os/MessageQueue.h"
#include "platform/ui/SRenderTarget.h"
#include "platform/ui/controls/StandardControls.h"
#include "plugin/app/AppEvents.h"

namespace qv::test {

void StepClock::Step(std::uint64_t ms) {
    m_now += ms;
    qv::os::NotifyClockChanged();
}

BOOL RigMainWnd::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result) {
    if (msg == WM_TIMER && params && params->OnTimer(wParam)) {
        result = 0;
        return TRUE;
    }
    return SHostWnd::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
}

WorkSpaceRig::WorkSpaceRig(const char* layoutRoot) {
    qv::os::SetClock(&clock);
    app = std::make_unique<qv::ui::SApplication>(nullptr);
    qv::ui::RegisterStandardControls(app->GetWindowFactory());
    qv::controls::RegisterPluginControls(app->GetWindowFactory(), app->GetSkinFactory());
    center = std::make_unique<qv::ui::SNotifyCenter>();
    SubscribeAppEvent<EventParamChanged>(*center, &WorkSpaceRig::OnParamChanged, this);
    const std::string xml = std::string("<SOUI size=\"400,300\"><root>") + layoutRoot + "</root></SOUI>";
    EXPECT_NE(mainWnd.CreateFromXml(qv::ui::SStringW::FromUtf8(xml)), nullptr);
    app->SetMainWnd(&mainWnd);

    m_dir = std::filesystem::temp_directory_path() /
            ("qv-workspace-" + std::to_string(getpid()) + "-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(m_dir);
    const std::u16string file = (m_dir / "DorbIIConfigData.db").u16string();
    EXPECT_TRUE(settings.Load(file));
    stateStore = std::make_unique<CSettingsStateStore>(settings);

    card.SetFrameObserver([this](bool fromHost, const SimCard::Frame& frame) {
        if (!fromHost || frame[0] != 0x94) return;
        std::lock_guard<std::mutex> guard(m_mutex);
        m_paramFrames.emplace_back(clock.NowMs(), frame);
    });
}

WorkSpaceRig::~WorkSpaceRig() {
    StopWorkspace();
    card.SetFrameObserver(nullptr);
    app->SetMainWnd(nullptr);
    mainWnd.DestroyWindow();
    Pump();
    center.reset();
    app.reset();
    qv::os::DestroyThreadQueue();
    qv::os::SetClock(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
}

void WorkSpaceRig::StartWorkspace() {
    manager = std::make_unique<CDeviceManager>();
    workspace = std::make_unique<CWorkSpace>(manager.get(), SimCard::kDorbProductId);
    CWorkSpaceParams& params = workspace->AttachParamModel(DorbIIFamily(), stateStore.get());
    params.SetThrottleWindow(&mainWnd);
    mainWnd.params = &params;
    auto* fake = new FakeDevice(u"\\\\?\\hid#VID_2B53&PID_0036#7&1#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    fake->SetResponder([this](const std::uint8_t* f, int n) { card.HandleHostFrame(f, n); });
    card.SetReportSink([fake](const std::uint8_t* p, int n) { fake->PushReport(p, n); });
    ASSERT_TRUE(manager->Connect(fake, workspace->AsProtocol()));
}

void WorkSpaceRig::StopWorkspace() {
    if (!workspace) return;
    card.SetReportSink(nullptr);
    mainWnd.params = nullptr;
    manager->Disconnect();  // deletes the fake device
    Pump();
    workspace.reset();
    manager.reset();
}

void WorkSpaceRig::Pump() {
    while (qv::os::PumpOneMessage()) {
    }
}

bool WorkSpaceRig::PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 500; ++i) {
        Pump();
        if (done()) return true;
        usleep(10000);
    }
    return false;
}

void WorkSpaceRig::Step(std::uint64_t ms) {
    clock.Step(ms);
    Pump();
}

std::vector<std::pair<std::uint64_t, SimCard::Frame>> WorkSpaceRig::ParamFrames() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_paramFrames;
}

bool WorkSpaceRig::OnParamChanged(qv::ui::EventArgs* e) {
    auto* changed = qv::ui::EventCast<EventParamChanged>(e);
    if (!changed) return false;
    paramEvents.push_back(changed->params);
    return true;
}

}  // namespace qv::test

namespace {

// The main thread's font caches live until it exits; free them so the leak
// checker sees only what the tests themselves leave.
class FontCacheEnvironment : public ::testing::Environment {
public:
    void TearDown() override { qv::ui::SRenderTarget::ReleaseThreadFontCache(); }
};

const auto* const kFontCacheEnvironment = ::testing::AddGlobalTestEnvironment(new FontCacheEnvironment);

}  // namespace
