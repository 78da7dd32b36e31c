#include "tests/upload/SendWindowEnv.h"

#include <algorithm>
#include <filesystem>

#include "platform/ui/ModuleResources.h"
#include "tests/effect/IdleClockStepper.h"
#include "tests/support/Mp3Fixture.h"

namespace qv::test {
namespace {

constexpr UINT_PTR kTickTimer = 77;

// The send window's layout without "mood_effect".
constexpr char kNoBarLayoutXml[] = R"(<?xml version="1.0" encoding="utf-8"?>
<SOUI name="dlgSendData" title="载入设备" size="400,220">
  <root skin="skin_wnd_bg" class="cls_text">
    <window name="waitting_tip" pos="0,0,-0,-0"><text name="txt_tip" pos="0,0,-0,-0"/></window>
    <window name="send_progress" pos="0,0,-0,-0" visible="0"/>
  </root>
</SOUI>)";

// Resources added to the executable's while a test runs: the table must
// live in the executable, which names the module the resources belong to.
std::vector<std::uint8_t> g_builtInSound;
ui::ResourceEntry g_resources[2];

class WatchedSendWindow : public SendWindow {
public:
    WatchedSendWindow(const std::u16string& path, int slot, int volume, int builtIn, const ui::SStringW& layout,
                      SendLog& log, const FakePluginApp& app, const std::function<void(const SendLog&)>& during)
        : SendWindow(path, slot, volume, builtIn, layout), m_log(log), m_app(app), m_during(during) {}

    BOOL ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        const bool upload = msg == kMsgUploadAccepted || msg == kMsgUploadProgress || msg == kMsgUploadEnded;
        const bool tick = msg == WM_TIMER && wParam == kTickTimer;
        if (upload || tick) m_log.entries.push_back({msg, wParam, lParam, m_app.uploadBusy});
        if (msg == kMsgUploadProgress) ++m_log.progress;
        if (tick) return TRUE;
        const BOOL handled = SendWindow::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
        if (msg == WM_INITDIALOG) SetTimer(kTickTimer, 10);
        if (upload && m_during) m_during(m_log);
        return handled;
    }

private:
    SendLog& m_log;
    const FakePluginApp& m_app;
    std::function<void(const SendLog&)> m_during;
};

// The uploader as the plug-in's, its runs handed to the test.
class CallbackUploader final : public ISoundUploader {
public:
    using Run = std::function<void(const std::u16string& path, int slot, int volume, int builtIn)>;
    explicit CallbackUploader(Run run) : m_run(std::move(run)) {}
    void RunSendWindow(const std::u16string& path, int slot, int volume, int builtIn) override {
        m_run(path, slot, volume, builtIn);
    }

private:
    Run m_run;
};

}  // namespace

int SendLog::Count(UINT message) const {
    return static_cast<int>(std::count_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.message == message; }));
}

int SendLog::TicksBeforeEnd() const {
    int ticks = 0;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->message == kMsgUploadEnded) continue;
        if (it->message != WM_TIMER) break;
        ++ticks;
    }
    return ticks;
}

bool SendLog::InOrder() const {
    std::vector<Entry> upload;
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(upload), [](const Entry& e) { return e.message != WM_TIMER; });
    if (upload.size() < 2 || upload.front().message != kMsgUploadAccepted || upload.back().message != kMsgUploadEnded)
        return false;
    WPARAM sent = 0;
    for (std::size_t i = 1; i + 1 < upload.size(); ++i) {
        if (upload[i].message != kMsgUploadProgress || upload[i].wParam <= sent) return false;
        sent = upload[i].wParam;
    }
    return true;
}

void SendWindowEnv::SetUp() {
    EffectPageEnv::SetUp();
    if (g_builtInSound.empty())
        g_builtInSound = EncodeMp3(ChannelToneSamples(44100, 2, 1.5, 440, 660), 44100, 2);
    ASSERT_FALSE(g_builtInSound.empty());
    g_resources[0] = {"mp3", "DJ_TEST", g_builtInSound.data(), g_builtInSound.size()};
    g_resources[1] = {"LAYOUT", "XML_SENDDATA_NOBAR", reinterpret_cast<const unsigned char*>(kNoBarLayoutXml),
                      sizeof kNoBarLayoutXml - 1};
    ui::RegisterModuleResources(g_resources, 2, true);
    ConnectCard();
    m_uploader = CreateSoundUploader();
    m_fake.uploader = m_uploader.get();
}

void SendWindowEnv::TearDown() {
    m_fake.uploader = nullptr;
    m_uploader.reset();
    ui::UnregisterModuleResources(g_resources);
    EffectPageEnv::TearDown();
}

SendLog SendWindowEnv::RunSendWindow(const std::u16string& path, int slot, int volume, int builtIn,
                                     const std::function<void(const SendLog&)>& during, const ui::SStringW& layout) {
    SendLog log;
    IdleClockStepper stepper(m_clock);
    WatchedSendWindow window(path, slot, volume, builtIn, layout, log, m_fake, during);
    m_open = &window;
    log.result = window.DoModal(nullptr);
    m_open = nullptr;
    return log;
}

void SendWindowEnv::UseWatchingUploader() {
    m_uploader = std::make_unique<CallbackUploader>([this](const std::u16string& path, int slot, int volume, int builtIn) {
        SendRun run{path, slot, volume, builtIn, {}};
        run.log = RunSendWindow(path, slot, volume, builtIn, m_during);
        m_runs.push_back(std::move(run));
    });
    m_fake.uploader = m_uploader.get();
}

std::vector<std::u16string> SendWindowEnv::TakeBoxes() {
    std::vector<std::u16string> texts;
    const auto& boxes = m_boxes.Boxes();
    for (; m_boxesSeen < boxes.size(); ++m_boxesSeen) texts.push_back(boxes[m_boxesSeen].text.str());
    return texts;
}

std::vector<std::string> SendWindowEnv::TempWaveFiles() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir + "/tmp")) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("QvWavForm", 0) == 0) found.push_back(name);
    }
    return found;
}

void SendWindowEnv::PlugBack() {
    m_card.Plug();
    ASSERT_TRUE(WaitFor([&] { return m_link->Manager().IsConnected() && m_card.SessionOpen(); }))
        << "the card did not come back";
}

}  // namespace qv::test
