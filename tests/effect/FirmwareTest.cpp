// The firmware upgrade against the simulated card on the stepped clock: the
// whole flow, every failure with its text and caption, the card pulled at
// every stage, and an image that must not be written.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/MessageQueue.h"
#include "platform/ui/ModuleResources.h"
#include "plugin/app/AppEvents.h"
#include "plugin/device/FirmwareImage.h"
#include "plugin/dialogs/DlgUpgradeFirmware.h"
#include "tests/effect/EffectPageEnv.h"
#include "tests/effect/IdleClockStepper.h"
#include "tests/support/UiInput.h"

namespace qv::test {
namespace {

constexpr const char16_t* kNotice = u"提示";
constexpr const char16_t* kError = u"错误";
constexpr int kImageBlocks = 2048;

struct Seen {
    std::uint8_t command;
    std::uint16_t productId;  // the card's when the frame came
    int block;
    std::uint64_t atMs;  // on the stepped clock
};

class FirmwareTest : public EffectPageEnv {
public:
    void StartInUpdateMode() {
        m_card.Unplug();
        m_card.Plug(SimCard::kUpdateProductId);
    }

protected:
    void SetUp() override {
        EffectPageEnv::SetUp();
        m_card.SetUpgradedFirmwareVersion(16);
        m_card.SetFrameObserver([this](bool fromHost, const SimCard::Frame& f) {
            if (!fromHost) return;
            std::lock_guard<std::mutex> guard(m_mutex);
            m_seen.push_back({f[0], m_card.ProductId(), (f[1] << 8) | f[2], m_clock.NowMs()});
        });
    }
    void TearDown() override {
        m_card.SetFrameObserver(nullptr);
        EffectPageEnv::TearDown();
    }
    // Runs the dialog over the main window as the page does, while time passes.
    INT_PTR RunUpgrade() {
        IdleClockStepper stepper(m_clock);
        CDlgUpgradeFirmware dialog(m_workspace.get(), m_dlg->GetHwnd());
        return dialog.DoModal(m_dlg->GetHwnd());
    }
    std::vector<Seen> Frames() {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_seen;
    }
    // The commands the card took, runs of firmware blocks counted as one.
    std::vector<std::string> Story() {
        std::vector<std::string> story;
        int blocks = 0;
        for (const auto& s : Frames()) {
            if (s.command == 0x28) {
                ++blocks;
                continue;
            }
            if (blocks) story.push_back(std::to_string(blocks) + " x 28");
            blocks = 0;
            char text[32];
            std::snprintf(text, sizeof text, "%02X@%04X", s.command, s.productId);
            story.emplace_back(text);
        }
        if (blocks) story.push_back(std::to_string(blocks) + " x 28");
        return story;
    }
    void ExpectOneBox(const std::u16string& text, const char16_t* caption) {
        ASSERT_EQ(m_boxes.Boxes().size(), 1u);
        EXPECT_EQ(m_boxes.Boxes()[0].text, text);
        EXPECT_EQ(m_boxes.Boxes()[0].caption, caption);
        EXPECT_EQ(m_boxes.Boxes()[0].owner, m_dlg->GetHwnd());
    }
    std::vector<std::uint8_t> TestImage() {
        const auto image = ui::FindModuleResource(nullptr, u"DATA", u"FMW15");
        return std::vector<std::uint8_t>(image->begin(), image->end());
    }
    // The program answers, and the card edits as before.
    void ExpectTheCardWorks() {
        ASSERT_TRUE(WaitFor([&] { return m_link->Manager().IsConnected() && m_card.SessionOpen(); }));
        m_dlg->FindChildByID(8001)->SetFocus();
        KeyDown(*m_dlg, VK_HOME);
        EXPECT_TRUE(CardMatchesModel(1));
    }

    std::mutex m_mutex;
    std::vector<struct Seen> m_seen;
};

TEST_F(FirmwareTest, TheWholeUpgradeFromNormalModeThroughThePage) {
    ConnectCard();
    OpenWindow();
    m_boxes.QueueAnswer(IDYES);
    m_seen.clear();
    {
        IdleClockStepper stepper(m_clock);
        EventNeedUpgradeFirmware ask(m_dlg.get());
        FireAppEventSync(ask);
    }
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    EXPECT_EQ(m_boxes.Boxes()[1].text, u"固件升级成功, 当前设备的固件版本为V1.6");
    EXPECT_EQ(m_boxes.Boxes()[1].caption, kNotice);
    const std::vector<std::string> story = Story();
    ASSERT_GE(story.size(), 8u);
    // The session closes, then: info, restart, the image to the update mode,
    // restart, the session and its sync, info.
    const std::vector<std::string> start(story.begin(), story.begin() + 6);
    EXPECT_EQ(start, (std::vector<std::string>{"90@0036", "26@0036", "2A@0036", "2048 x 28", "2A@0020", "90@0036"}));
    EXPECT_EQ(story.back(), "26@0036");
    // The session opens as the card arrives, and again as the dialog finds it.
    for (std::size_t i = 6; i + 1 < story.size(); ++i) EXPECT_TRUE(story[i] == "94@0036" || story[i] == "90@0036") << story[i];
    int expected = 0;
    for (const auto& s : Frames()) {
        if (s.command != 0x28) continue;
        EXPECT_EQ(s.block, expected++);
    }
    EXPECT_EQ(m_card.FirmwareImage(), TestImage());
    EXPECT_EQ(m_card.ParamValues().size(), Model().GetParamCount() - 0u);
    EXPECT_EQ(Named(u"txt_app_title")->GetWindowText().str(), u"Halvena音频 - Dorb Ⅱ Pro");
    EXPECT_FALSE(FindHost<CDlgUpgradeFirmware>());
}

TEST_F(FirmwareTest, ACardAlreadyInUpdateModeAtTheStartIsWrittenAtOnce) {
    StartInUpdateMode();
    ConnectCard();
    m_boxes.QueueAnswer(IDYES);
    {
        IdleClockStepper stepper(m_clock);
        OpenWindow();  // the question comes once the window is up
    }
    ASSERT_EQ(m_boxes.Boxes().size(), 2u);
    EXPECT_EQ(m_boxes.Boxes()[1].text, u"固件升级成功, 当前设备的固件版本为V1.6");
    const std::vector<std::string> story = Story();
    const auto firstBlock = std::find(story.begin(), story.end(), "2048 x 28");
    ASSERT_NE(firstBlock, story.end());
    for (auto it = story.begin(); it != firstBlock; ++it) EXPECT_EQ(*it, "90@0020");  // the closing session, unanswered
    EXPECT_EQ(m_card.FirmwareImage(), TestImage());
    EXPECT_EQ(m_workspace->NeedsUpgrade(), 0);
    EXPECT_EQ(Named(u"txt_app_title")->GetWindowText().str(), u"Halvena音频 - Dorb Ⅱ Pro");
}

struct FailureCase {
    const char* name;  // of the test
    std::function<void(FirmwareTest&, SimCard&)> prepare;
    std::u16string text;
    const char16_t* caption;
};

class FirmwareFailureTest : public FirmwareTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FirmwareFailureTest, EndsWithItsTextAndCaption) {
    const FailureCase& c = GetParam();
    OpenWindow();
    c.prepare(*this, m_card);
    if (m_card.IsPlugged()) ConnectCard();
    EXPECT_EQ(RunUpgrade(), IDCANCEL);
    ExpectOneBox(c.text, c.caption);
    EXPECT_FALSE(FindHost<CDlgUpgradeFirmware>());
}

INSTANTIATE_TEST_SUITE_P(
    Firmware, FirmwareFailureTest,
    ::testing::Values(
        FailureCase{"NoCard", [](FirmwareTest&, SimCard& card) { card.Unplug(); }, u"未连接设备", kNotice},
        FailureCase{"ACardOfAnotherProduct",
                    [](FirmwareTest&, SimCard& card) {
                        card.Unplug();
                        card.Plug(0x0011);
                    },
                    u"请确认设备是否正常连接", kError},
        FailureCase{"NoDeviceInformation",
                    [](FirmwareTest&, SimCard& card) { card.AddFault({SimFault::WriteFailure, 0x26, 0, -1}); },
                    u"获取设备信息失败", kError},
        FailureCase{"NeverBackAfterTheSwitch", [](FirmwareTest&, SimCard& card) { card.SetNeverReturn(true); },
                    u"切换到更新模式后，未识别到设备，请稍后再打开软件重试", kError},
        FailureCase{"BackInNormalMode", [](FirmwareTest&, SimCard& card) { card.SetSameModeReturns(1); },
                    u"切换到更新模式失败，请稍后再打开软件重试", kError},
        FailureCase{"BlocksRefused",
                    [](FirmwareTest&, SimCard& card) { card.AddFault({SimFault::WriteFailure, 0x28, 5, -1}); },
                    u"固件写入失败，请稍后再打开软件重试！", kNotice},
        FailureCase{"NeverBackAfterTheWrite",
                    [](FirmwareTest& t, SimCard& card) {
                        t.StartInUpdateMode();
                        card.SetNeverReturn(true);
                    },
                    u"切换到正常模式后，未识别到设备，请稍后再打开软件重试", kError},
        FailureCase{"BackInUpdateModeFourTimes",
                    [](FirmwareTest& t, SimCard& card) {
                        t.StartInUpdateMode();
                        card.SetSameModeReturns(4);
                    },
                    u"固件数据已发送完成，但切回正常模式失败，请稍后再打开软件重试", kError},
        FailureCase{"NoDeviceInformationAtTheEnd",
                    [](FirmwareTest& t, SimCard& card) {
                        t.StartInUpdateMode();
                        card.AddFault({SimFault::WriteFailure, 0x26, 0, -1});
                    },
                    u"固件升级完成，但获取设备信息失败", kError}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// The card never comes back after the switch: the dialog looks for it 3 s
// after the switch, then every 2 s, eleven times more, and gives up.
TEST_F(FirmwareTest, TheWaitForUpdateModeIsThreeSecondsThenElevenTimesTwo) {
    OpenWindow();
    m_card.SetNeverReturn(true);
    ConnectCard();
    std::vector<std::uint64_t> looks;
    m_link->SetConnectHook([&](int) { looks.push_back(m_clock.NowMs()); });
    m_seen.clear();
    EXPECT_EQ(RunUpgrade(), IDCANCEL);
    m_link->SetConnectHook(nullptr);
    ExpectOneBox(u"切换到更新模式后，未识别到设备，请稍后再打开软件重试", kError);
    const std::vector<Seen> frames = Frames();
    const auto restart = std::find_if(frames.begin(), frames.end(), [](const Seen& s) { return s.command == 0x2A; });
    ASSERT_NE(restart, frames.end());
    ASSERT_EQ(looks.size(), 12u);
    // The clock moves in steps of 10 ms while the dialog waits.
    EXPECT_NEAR(static_cast<double>(looks[0] - restart->atMs), 3000.0, 10.0);
    for (std::size_t i = 1; i < looks.size(); ++i) EXPECT_NEAR(static_cast<double>(looks[i] - looks[i - 1]), 2000.0, 10.0) << i;
}

TEST_F(FirmwareTest, ACardThatComesBackInUpdateModeIsSwitchedAgainUpToThreeTimes) {
    OpenWindow();
    StartInUpdateMode();
    m_card.SetSameModeReturns(3);
    ConnectCard();
    EXPECT_EQ(RunUpgrade(), IDOK);
    EXPECT_EQ(m_card.CountReceived(0x2A), 4);
    ExpectOneBox(u"固件升级成功, 当前设备的固件版本为V1.6", kNotice);
}

TEST_F(FirmwareTest, ClosingAndCancellingDoNothingWhileItRuns) {
    OpenWindow();
    StartInUpdateMode();
    m_card.SetNeverReturn(true);
    ConnectCard();
    int stillOpen = 0;
    m_link->SetConnectHook([&](int) {
        auto* dialog = FindHost<CDlgUpgradeFirmware>();
        if (!dialog) return;
        dialog->SendMessage(WM_CLOSE);
        for (const char16_t* name : {u"btn_close", u"btnCancel"}) {
            ui::EventCmd click(dialog);
            click.nameFrom = name;
            dialog->_HandleEvent(&click);
        }
        stillOpen += FindHost<CDlgUpgradeFirmware>() != nullptr;
    });
    EXPECT_EQ(RunUpgrade(), IDCANCEL);
    EXPECT_EQ(stillOpen, 12);  // every wait for the card, to the last
    ExpectOneBox(u"切换到正常模式后，未识别到设备，请稍后再打开软件重试", kError);
}

TEST_F(FirmwareTest, TheBuildsPlaceholderIsNeverWritten) {
    void* module = dlopen(QV_PLACEHOLDER_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    m_fake.module = ui::ModuleOfAddress(dlsym(module, "qv_firmware_placeholder_module"));
    OpenWindow();
    ConnectCard();
    const std::size_t frames = m_card.ReceivedFrames().size();
    EXPECT_EQ(RunUpgrade(), IDCANCEL);
    ExpectOneBox(u"固件升级失败！", kNotice);
    EXPECT_EQ(m_card.ReceivedFrames().size(), frames);
    EXPECT_FALSE(m_card.InUpdateMode());
    m_fake.module = nullptr;
}

TEST(FirmwareImageTest, OnlyARealImageOfAtMost64KiBIsWritable) {
    const std::string placeholder = "QVFW placeholder: no firmware image was given to this build.\n";
    struct Case {
        std::vector<std::uint8_t> bytes;
        bool writable;
    };
    const Case cases[] = {
        {{}, false},
        {std::vector<std::uint8_t>(placeholder.begin(), placeholder.end()), false},
        {std::vector<std::uint8_t>(placeholder.begin(), placeholder.begin() + 16), false},
        {std::vector<std::uint8_t>(placeholder.begin(), placeholder.begin() + 15), true},
        {std::vector<std::uint8_t>(1, 0), true},
        {std::vector<std::uint8_t>(65536, 0xA5), true},
        {std::vector<std::uint8_t>(65537, 0xA5), false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsWritableFirmwareImage(c.bytes), c.writable) << c.bytes.size();
    int notAModule = 0;
    EXPECT_FALSE(LoadFirmwareImage(&notAModule));  // a module without resources
}

// The card pulled at each stage: one message, a program that goes on, and a
// card that works again once plugged (in update mode: upgraded by the next run).
struct PullCase {
    const char* name;
    bool updateMode;
    std::optional<SimFaultRule> pull;  // pulled as this frame comes
    bool pullWhileAway;                // pulled while the card restarts, at the dialog's first look for it
    std::u16string text;
    const char16_t* caption;
    bool backInUpdateMode;
};

class FirmwarePullTest : public FirmwareTest, public ::testing::WithParamInterface<PullCase> {};

// One message, a program that goes on, and a card that works again once
// plugged, or, in update mode, is upgraded by the next run.
TEST_P(FirmwarePullTest, GivesOneMessageAndTheCardIsFineOncePluggedAgain) {
    const PullCase& c = GetParam();
    OpenWindow();
    if (c.updateMode) StartInUpdateMode();
    ConnectCard();
    if (c.pull) m_card.AddFault(*c.pull);
    if (c.pullWhileAway) {
        m_card.SetNeverReturn(true);
        m_link->SetConnectHook([&](int call) {
            if (call == 1) m_card.Unplug();
        });
    }
    EXPECT_EQ(RunUpgrade(), IDCANCEL);
    m_link->SetConnectHook(nullptr);
    m_card.SetNeverReturn(false);
    ExpectOneBox(c.text, c.caption);
    ui::test::PumpPending();
    ASSERT_TRUE(m_dlg->IsWindow());
    EXPECT_EQ(m_dlg->SendMessage(0x465), 0);  // the window still answers

    m_card.ClearFaults();
    ASSERT_FALSE(m_card.IsPlugged());
    ASSERT_TRUE(WaitFor([&] { return !m_link->Manager().IsConnected(); }));
    m_card.Plug();
    EXPECT_EQ(m_card.InUpdateMode(), c.backInUpdateMode);
    if (c.backInUpdateMode) {
        ASSERT_TRUE(WaitFor([&] { return m_link->Manager().IsConnected(); }));
        m_workspace->SetNeedsUpgrade(1);
        m_seen.clear();
        EXPECT_EQ(RunUpgrade(), IDOK);
        EXPECT_EQ(Story().front(), "2048 x 28");
        EXPECT_EQ(m_card.FirmwareImage(), TestImage());
        EXPECT_FALSE(m_card.InUpdateMode());
    }
    ExpectTheCardWorks();
}

const std::u16string kWriteFailed = u"固件写入失败，请稍后再打开软件重试！";

INSTANTIATE_TEST_SUITE_P(
    Firmware, FirmwarePullTest,
    ::testing::Values(
        PullCase{"AtTheDeviceInformation", false, SimFaultRule{SimFault::PulledBefore, 0x26, 0, 1}, false,
                 u"获取设备信息失败", kError, false},
        PullCase{"AtTheSwitch", false, SimFaultRule{SimFault::PulledBefore, 0x2A, 0, 1}, false,
                 u"切换到更新模式后，未识别到设备，请稍后再打开软件重试", kError, false},
        PullCase{"WaitingForUpdateMode", false, std::nullopt, true,
                 u"切换到更新模式后，未识别到设备，请稍后再打开软件重试", kError, true},
        PullCase{"AtBlock0", true, SimFaultRule{SimFault::PulledBefore, 0x28, 0, 1}, false, kWriteFailed, kNotice, true},
        PullCase{"AtBlock1", true, SimFaultRule{SimFault::PulledBefore, 0x28, 1, 1}, false, kWriteFailed, kNotice, true},
        PullCase{"AtBlock1000", true, SimFaultRule{SimFault::PulledBefore, 0x28, 1000, 1}, false, kWriteFailed, kNotice, true},
        PullCase{"AtBlock2047", true, SimFaultRule{SimFault::PulledBefore, 0x28, 2047, 1}, false, kWriteFailed, kNotice, true},
        PullCase{"WaitingForNormalMode", true, std::nullopt, true,
                 u"切换到正常模式后，未识别到设备，请稍后再打开软件重试", kError, false}),
    [](const ::testing::TestParamInfo<PullCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qv::test
